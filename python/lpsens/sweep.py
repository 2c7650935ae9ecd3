"""Parametric sweeps of a model in its own terms: the optimum where the
basis changes, how the sweep ended, and its chart."""

import json

import numpy as np

from .result import Status, table


class Chart(str):
    """The SVG chart of a sweep (a string); Jupyter shows it inline."""

    def _repr_svg_(self):
        return str(self)

    def save(self, path):
        with open(path, "w", encoding="utf-8") as f:
            f.write(self)


class Sweep:
    """The result of ``Model.sweep``.

    ``records``: one dict per record (the start or the first optimum, every
    breakpoint, the end or the edge where the optimum ends) with ``t``,
    ``items`` (the swept values), ``objective`` in the model's sense,
    ``slope``, ``entering`` and ``leaving`` (the exchanges that made the
    record's basis) and numpy arrays ``values``, ``activities``, ``duals``,
    ``reduced_costs`` in the model's order.  ``sweep_end`` says how it
    ended (``reason``, ``at``, ``t``), ``before`` the stretch without an
    optimum before the first record (or None).  ``status`` and ``verified``
    are the run's, as in the JSON."""

    def __init__(self, run):
        self.json = json.loads(run["json"])
        self.console = run["console"]
        self._chart = run["chart"]
        j = self.json
        self.status = Status(j["status"])
        self.verified = bool(j["verified"])
        model = j.get("model") or {}
        sweep = model.get("sweep")
        self.sweep_end = j.get("sweep_end")
        if sweep is None:
            self.kind = None
            self.items = []
            self.before = None
            self.records = []
            return
        self.kind = sweep["kind"]
        self.items = sweep["items"]
        self.before = sweep["before"]
        self.records = []
        for r in sweep["records"]:
            record = dict(r)
            for key in ("values", "activities", "duals", "reduced_costs"):
                record[key] = np.asarray(r[key], dtype=float)
            record["entering"] = [_place(p) for p in r["entering"]]
            record["leaving"] = [_place(p) for p in r["leaving"]]
            self.records.append(record)

    def table(self):
        """The records as a table: t, each item's value, the objective, the
        slope, what entered and what left."""
        columns = {"t": np.array([r["t"] for r in self.records], dtype=float)}
        for k, item in enumerate(self.items):
            columns[item["name"]] = np.array([r["items"][k] for r in self.records], dtype=float)
        columns["objective"] = np.array([r["objective"] for r in self.records], dtype=float)
        columns["slope"] = np.array([r["slope"] for r in self.records], dtype=float)
        columns["entering"] = np.array([" ".join(r["entering"]) for r in self.records], dtype=object)
        columns["leaving"] = np.array([" ".join(r["leaving"]) for r in self.records], dtype=object)
        return table(columns)

    def chart(self):
        """The SVG chart of the sweep, as ``--chart`` writes it."""
        if not self._chart:
            from .errors import Error
            raise Error(1, "the sweep has no chart: its status is " + self.status.value)
        return Chart(self._chart)

    def __repr__(self):
        end = self.sweep_end["reason"] if self.sweep_end else None
        return "Sweep(%d records, end=%s, status=%s)" % (len(self.records), end, self.status.value)


def _place(place):
    (kind, name), = place.items()
    return kind + ":" + name
