"""Models: read from a file, made from arrays, or built row by row and
column by column; solved and swept by the same run as the command line."""

import math

import numpy as np

from . import _core
from .result import Result
from .sweep import Sweep

_INF = math.inf


def read(path, format=None):
    """The model in the file at ``path``: lpsens's own format, MPS or LP
    format, told by ``format`` ("native", "mps", "lp") or else by the
    file's name and content; gzip-compressed files too.  Raises
    ``lpsens.Error`` (with ``file``, ``line`` and ``message``) on a file
    that cannot be read."""
    return Model._of(_core.Problem.read(str(path), format or ""))


def _sense(sense):
    s = str(sense).lower()
    if s in ("min", "minimise", "minimize"):
        return False
    if s in ("max", "maximise", "maximize"):
        return True
    raise ValueError("sense must be 'min' or 'max', not %r" % (sense,))


def _csc(A, m, n):
    """The matrix by columns (start, row, value) from a scipy.sparse matrix or
    anything numpy takes as a dense one."""
    if hasattr(A, "tocsc"):
        A = A.tocsc()
        A.sum_duplicates()
        A.sort_indices()
        if A.shape != (m, n):
            raise ValueError("A is %dx%d, not %dx%d" % (A.shape + (m, n)))
        return (np.asarray(A.indptr, dtype=np.int64), np.asarray(A.indices, dtype=np.int64),
                np.asarray(A.data, dtype=float))
    dense = np.asarray(A, dtype=float)
    if dense.size == 0 and m * n == 0:
        dense = dense.reshape(m, n)
    if dense.shape != (m, n):
        raise ValueError("A is %s, not %dx%d" % ("x".join(map(str, dense.shape)), m, n))
    rows, columns = np.nonzero(dense.T)  # column-major order
    start = np.zeros(n + 1, dtype=np.int64)
    np.add.at(start, rows + 1, 1)
    return np.cumsum(start), columns.astype(np.int64), dense.T[rows, columns]


class Model:
    """A linear program.

    From arrays: ``Model(costs, A, row_lower, row_upper, column_lower,
    column_upper, sense="min", row_names=None, column_names=None)`` with A a
    scipy.sparse or dense m x n matrix; missing row sides are -inf/inf,
    missing column bounds 0 and inf.  ``Model()`` is empty, for
    ``add_column`` and ``add_row``.  ``lpsens.read`` reads one from a file.

    A model is not changed by solving it, and may be solved from several
    threads at once."""

    def __init__(self, costs=None, A=None, row_lower=None, row_upper=None, column_lower=None, column_upper=None,
                 sense="min", row_names=None, column_names=None, title="model", constant=0.0):
        self._problem = None
        self._title = title
        self._maximise = _sense(sense)
        self._constant = float(constant)
        self._columns = []  # builder: (name, cost, lower, upper, {row index: value})
        self._rows = []     # builder: (name, lower, upper)
        self._row_index = {}
        self._column_index = {}
        if costs is None and A is None:
            return
        costs = np.asarray(costs, dtype=float).ravel()
        n = len(costs)
        if A is None:
            raise ValueError("a model from arrays needs A")
        m = A.shape[0] if hasattr(A, "shape") else len(A)
        start, row, value = _csc(A, m, n)
        full = lambda v, fill, size: np.full(size, fill, dtype=float) if v is None else np.asarray(v, dtype=float).ravel()
        self._problem = _core.Problem.from_arrays(
            title, self._maximise, self._constant, costs, full(column_lower, 0.0, n), full(column_upper, _INF, n),
            start, row, value, full(row_lower, -_INF, m), full(row_upper, _INF, m),
            [str(s) for s in row_names] if row_names is not None else [],
            [str(s) for s in column_names] if column_names is not None else [])

    @classmethod
    def _of(cls, problem):
        model = cls.__new__(cls)
        model._problem = problem
        model._title = problem.title
        model._maximise = problem.maximise
        model._constant = None
        model._columns, model._rows = [], []
        model._row_index, model._column_index = {}, {}
        return model

    # --- building, a row or a column at a time

    def _to_builder(self):
        """A model read or made from arrays, as the builder's lists."""
        if self._problem is None:
            return
        p = self._problem
        if p.native:
            raise ValueError("a model in lpsens's own format cannot be added to; write it as MPS or LP format")
        a = p.arrays()
        self._constant = a["constant"]
        self._rows = [(name, lo, up) for name, lo, up in zip(p.row_names, a["row_lower"], a["row_upper"])]
        self._row_index = {r[0]: i for i, r in enumerate(self._rows)}
        self._columns = []
        for j, name in enumerate(p.column_names):
            s, e = a["start"][j], a["start"][j + 1]
            entries = dict(zip(a["row"][s:e].tolist(), a["value"][s:e].tolist()))
            self._columns.append((name, a["costs"][j], a["column_lower"][j], a["column_upper"][j], entries))
        self._column_index = {c[0]: j for j, c in enumerate(self._columns)}
        self._problem = None

    def add_row(self, name, lower=-_INF, upper=_INF, entries=None):
        """Adds the row lower <= sum(entries[column] * column) <= upper, its
        entries by column name (columns added before); returns its index."""
        self._to_builder()
        name = str(name)
        if name in self._row_index:
            raise ValueError("row %r is added twice" % name)
        i = len(self._rows)
        self._rows.append((name, float(lower), float(upper)))
        self._row_index[name] = i
        for column, value in (entries or {}).items():
            if column not in self._column_index:
                raise ValueError("row %r names column %r, which the model does not have" % (name, column))
            self._columns[self._column_index[column]][4][i] = float(value)
        return i

    def add_column(self, name, cost=0.0, lower=0.0, upper=_INF, entries=None):
        """Adds a column with its cost and bounds and its entries by row name
        (rows added before); returns its index."""
        self._to_builder()
        name = str(name)
        if name in self._column_index:
            raise ValueError("column %r is added twice" % name)
        rows = {}
        for row, value in (entries or {}).items():
            if row not in self._row_index:
                raise ValueError("column %r names row %r, which the model does not have" % (name, row))
            rows[self._row_index[row]] = float(value)
        self._columns.append((name, float(cost), float(lower), float(upper), rows))
        self._column_index[name] = len(self._columns) - 1
        return len(self._columns) - 1

    def _core(self):
        if self._problem is None:
            start, row, value = [0], [], []
            for c in self._columns:
                for i in sorted(c[4]):
                    row.append(i)
                    value.append(c[4][i])
                start.append(len(row))
            self._problem = _core.Problem.from_arrays(
                self._title, self._maximise, self._constant or 0.0,
                np.array([c[1] for c in self._columns], dtype=float),
                np.array([c[2] for c in self._columns], dtype=float),
                np.array([c[3] for c in self._columns], dtype=float),
                np.array(start, dtype=np.int64), np.array(row, dtype=np.int64), np.array(value, dtype=float),
                np.array([r[1] for r in self._rows], dtype=float), np.array([r[2] for r in self._rows], dtype=float),
                [r[0] for r in self._rows], [c[0] for c in self._columns])
        return self._problem

    # --- what the model is

    @property
    def title(self):
        return self._core().title

    @property
    def sense(self):
        return "max" if self._core().maximise else "min"

    @property
    def row_names(self):
        return self._core().row_names

    @property
    def column_names(self):
        return self._core().column_names

    @property
    def shape(self):
        """(rows, columns)."""
        return tuple(self._core().shape)

    @property
    def warnings(self):
        """What reading the model warned of (integer columns relaxed, ...)."""
        return list(self._core().warnings)

    def arrays(self):
        """The model as arrays: costs, column_lower, column_upper, row_lower,
        row_upper, and the matrix by columns (start, row, value); constant."""
        return self._core().arrays()

    def __getstate__(self):
        return {"problem": self._core().to_bytes()}

    def __setstate__(self, state):
        self.__dict__.update(Model._of(_core.Problem.from_bytes(state["problem"])).__dict__)

    def __repr__(self):
        m, n = self.shape
        return "Model(%r, %d rows, %d columns, %s)" % (self.title, m, n, self.sense)

    # --- solving

    def solve(self, engine=None, time_limit=None, presolve=None, basis=None, threads=0, max_exchanges=0,
              exact=False):
        """Solves the model as the command line does and returns a ``Result``.

        ``engine``: "accurate" or "classic" (by default the accurate one,
        and the classic one for lpsens's own format); ``time_limit`` in
        seconds; ``presolve``: True, False or None (by size);  ``basis``: a
        ``Result.basis`` to start from (the presolve is then left out);
        ``exact``: prove the verdict in exact rational arithmetic as well
        (``Result.exact``)."""
        run = _core.run(self._core(), exact=bool(exact), engine=engine or "", time_limit=float(time_limit or 0),
                        presolve=_presolve(presolve), threads=int(threads), max_exchanges=int(max_exchanges),
                        basis=None if basis is None else basis._core())
        return Result(run)

    def sweep(self, name, start, end, kind="rhs", engine=None, time_limit=None, max_records=1000):
        """Sweeps ``name`` from ``start`` to ``end`` and returns a ``Sweep``:
        its records, how it ended, its chart.  ``kind``: "rhs", a row's
        right-hand side (every finite side of the row moves with it); "cost",
        a column's cost; "bound", a column's bound: the one it has, or both
        of a fixed column (a column with two different bounds must say
        "lower" or "upper"); "lower" or "upper", that bound alone.  A list
        of names (with a start and an end each) moves them together."""
        names = [name] if isinstance(name, str) else list(name)
        starts = [start] * len(names) if np.ndim(start) == 0 else list(start)
        ends = [end] * len(names) if np.ndim(end) == 0 else list(end)
        if not names or len(starts) != len(names) or len(ends) != len(names):
            raise ValueError("give one start and one end value for each name")
        if kind not in ("rhs", "cost", "bound", "lower", "upper"):
            raise ValueError("kind must be 'rhs', 'cost', 'bound', 'lower' or 'upper', not %r" % (kind,))
        sweeps = ["%s:%r:%r" % (n, float(s), float(e)) for n, s, e in zip(names, starts, ends)]
        bounds = kind in ("bound", "lower", "upper")
        run = _core.run(self._core(), mode="pv" if kind == "cost" else "rv", sweeps=sweeps,
                        bounds=kind if bounds else "", engine=engine or "", time_limit=float(time_limit or 0),
                        max_records=int(max_records))
        return Sweep(run)


def _presolve(presolve):
    if presolve is None:
        return ""
    return "on" if presolve else "off"
