"""The one exception lpsens raises for what it cannot read or do."""

import re

_PLACE = re.compile(r"^(?P<file>.+?):(?P<line>\d+): (?P<message>.*)$", re.S)
_FILE = re.compile(r"^cannot (?:open|create) (?P<file>.+?): (?P<message>.*)$", re.S)


class Error(Exception):
    """A failure of lpsens: a model or scenario table it cannot read, a file
    it cannot open or write, a model it cannot convert.

    ``code`` is the command line's exit code for the same failure (106 for a
    malformed input, the system's error number for a file), ``file`` and
    ``line`` say where in an input the fault is (``None`` where no input is
    at fault), ``message`` what is wrong.
    """

    def __init__(self, code, explanation):
        super().__init__(explanation)
        self.code = code
        self.explanation = explanation
        place, opened = _PLACE.match(explanation), _FILE.match(explanation)
        self.file = place.group("file") if place else opened.group("file") if opened else None
        self.line = int(place.group("line")) if place else None
        self.message = place.group("message") if place else explanation

    def __reduce__(self):
        return (Error, (self.code, self.explanation))
