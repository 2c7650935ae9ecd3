"""What a solve returns: the verdict, the values in the model's terms and
their ranging, exactly as the command line's JSON report gives them."""

import enum
import json
from fractions import Fraction

import numpy as np

try:  # pandas is optional: without it tables are dicts of arrays
    import pandas as _pd
except ImportError:  # pragma: no cover - pandas is installed where lpsens is tested
    _pd = None


class Status(str, enum.Enum):
    """A result's status, as the JSON's ``status`` names it."""

    OPTIMAL = "optimal"
    INFEASIBLE = "infeasible"
    UNBOUNDED = "unbounded"
    UNVERIFIED = "unverified"  # a verdict whose check failed: see reported_status
    EXCHANGE_LIMIT = "exchange limit"
    TIME_LIMIT = "time limit"
    NUMERICAL_TROUBLE = "numerical trouble"

    def __str__(self):
        return self.value


class Basis:
    """A basis of a model in its own terms, to start another solve from:
    one status per column and one per row (0 basic, 1 at the lower bound,
    2 at the upper bound, 3 free at zero, 4 fixed)."""

    NAMES = ("basic", "at_lower", "at_upper", "free_at_zero", "fixed")

    def __init__(self, columns, rows):
        self.columns = np.asarray(columns, dtype=np.uint8)
        self.rows = np.asarray(rows, dtype=np.uint8)

    def _core(self):
        return (self.columns, self.rows)

    def __eq__(self, other):
        return (isinstance(other, Basis) and np.array_equal(self.columns, other.columns)
                and np.array_equal(self.rows, other.rows))

    def __repr__(self):
        return "Basis(%d columns, %d rows, %d basic)" % (
            len(self.columns), len(self.rows),
            int((self.columns == 0).sum() + (self.rows == 0).sum()))


RANGE_FIELDS = ("lower", "upper", "objective_at_lower", "objective_at_upper",
                "entering_at_lower", "leaving_at_lower", "entering_at_upper", "leaving_at_upper")


def _place(place):
    """A JSON place ({"column": name}, {"row": name}, {"bound": name}) as
    "column:name", or None."""
    if place is None:
        return None
    (kind, name), = place.items()
    return kind + ":" + name


def table(columns, index=None):
    """A DataFrame when pandas is there, else the dict of arrays itself."""
    if _pd is None:
        if index is not None:
            columns = dict(columns, name=np.asarray(index, dtype=object))
        return columns
    frame = _pd.DataFrame(columns, index=index)
    if index is not None:
        frame.index.name = "name"
    return frame


def _ranging_table(entries, names, key):
    """One ranging (rhs_ranging, cost_ranging, ...) of every row or column:
    a missing limit is -inf or inf, a missing objective NaN, a missing
    ranging (no such bound) NaN throughout."""
    data = {field: [] for field in RANGE_FIELDS}
    for entry in entries:
        r = entry.get(key)
        for field in RANGE_FIELDS:
            if field.startswith(("entering", "leaving")):
                data[field].append(None if r is None else _place(r[field]))
            elif r is None:
                data[field].append(np.nan)
            elif r[field] is None:
                data[field].append(-np.inf if field == "lower" else np.inf if field == "upper" else np.nan)
            else:
                data[field].append(float(r[field]))
    columns = {}
    for field in RANGE_FIELDS:
        if field.startswith(("entering", "leaving")):
            columns[field] = np.asarray(data[field], dtype=object)
        else:
            columns[field] = np.asarray(data[field], dtype=float)
    return table(columns, index=names)


class Ranging:
    """The ranging in the model's terms: ``rhs`` by row; ``cost``,
    ``lower_bound`` and ``upper_bound`` by column.  Each table has the JSON
    ranging's fields as its columns: the limits ``lower`` and ``upper`` of
    the value (-inf, inf where it has none), the model's objective there
    (``objective_at_lower``, ``objective_at_upper``; NaN where the JSON has
    null), and the places that enter and leave the basis at each limit
    ("column:NAME", "row:NAME", "bound:NAME" or None)."""

    def __init__(self, model_json):
        rows = model_json["rows"]
        variables = model_json["variables"]
        row_names = [r["name"] for r in rows]
        column_names = [v["name"] for v in variables]
        self.rhs = _ranging_table(rows, row_names, "rhs_ranging")
        self.cost = _ranging_table(variables, column_names, "cost_ranging")
        self.lower_bound = _ranging_table(variables, column_names, "lower_bound_ranging")
        self.upper_bound = _ranging_table(variables, column_names, "upper_bound_ranging")

    def __repr__(self):
        return "Ranging(%d rows, %d columns)" % (len(self.rhs["lower"]), len(self.cost["lower"]))


class Exact:
    """The proof in exact rational arithmetic (``solve(exact=True)``):
    ``proof`` ("optimal", "infeasible", "unbounded" or "unproven", with
    ``why``), and for a proven optimum ``objective``, ``values``,
    ``activities``, ``duals`` and ``reduced_costs`` as lists of
    ``fractions.Fraction`` in the model's order, and the exact ``pivots``
    made from the floating-point basis; an infeasible model's ``farkas``
    (a multiplier per row), an unbounded one's ``point`` and ``ray`` (per
    column)."""

    def __init__(self, j):
        self.proof = j["proof"]
        self.why = j.get("why")
        self.pivots = j.get("pivots")
        self.objective = Fraction(j["objective"]) if "objective" in j else None
        rows, variables = j.get("rows", []), j.get("variables", [])
        self.values = [Fraction(v["value"]) for v in variables]
        self.reduced_costs = [Fraction(v["reduced_cost"]) for v in variables]
        self.activities = [Fraction(r["activity"]) for r in rows]
        self.duals = [Fraction(r["dual"]) for r in rows]
        self.farkas = [Fraction(v) for v in j.get("farkas", [])]
        self.point = [Fraction(v) for v in j.get("point", [])]
        self.ray = [Fraction(v) for v in j.get("ray", [])]

    def __repr__(self):
        return "Exact(%s%s)" % (self.proof, "" if self.objective is None else ", objective=%s" % self.objective)


class Result:
    """The result of ``Model.solve``.

    ``status`` (a ``Status``), ``verified`` (the run reached a verdict and
    every check passed), ``objective`` in the model's own sense with its
    constant, and numpy arrays in the model's order: ``values`` of the
    columns, ``activities`` (A x) and ``duals`` of the rows (the change of
    the objective per unit of a right-hand side), ``reduced_costs`` of the
    columns.  Arrays and objective are None where the run has none (an
    infeasible or unbounded model).  With ``solve(exact=True)``,
    ``verified_exactly`` says the verdict is proven in exact arithmetic and
    ``exact`` holds the proof and the exact values.  ``basis`` starts another solve of a
    model of the same shape; ``json`` is the command line's JSON report,
    ``console`` what the run said."""

    def __init__(self, run):
        self.json = json.loads(run["json"])
        self.console = run["console"]
        self.exit_code = run["exit_code"]
        self.basis = Basis(*run["basis"]) if run["basis"] is not None else None
        j = self.json
        self.status = Status(j["status"])
        self.reported_status = Status(j.get("reported_status", j["status"]))
        self.verified = bool(j["verified"])
        self.verified_exactly = j["verified"] == "exact"
        self.exact = Exact(j["exact"]) if "exact" in j else None
        self.engine = j["engine"]
        self.checks = j.get("checks", [])
        model = j.get("model")
        self._model = model if model is not None and "rows" in model else None
        if self._model is None:
            self.objective = None
            self.values = self.activities = self.duals = self.reduced_costs = None
            self.row_names = self.column_names = None
            return
        rows, variables = self._model["rows"], self._model["variables"]
        self.objective = float(self._model["objective"])
        self.row_names = [r["name"] for r in rows]
        self.column_names = [v["name"] for v in variables]
        self.values = np.array([v["value"] for v in variables], dtype=float)
        self.reduced_costs = np.array([v["reduced_cost"] for v in variables], dtype=float)
        self.activities = np.array([r["activity"] for r in rows], dtype=float)
        self.duals = np.array([r["dual"] for r in rows], dtype=float)

    def ranging(self):
        """The ranging of every right-hand side, cost and bound (see
        ``Ranging``); an ``lpsens.Error`` where the result has none (no
        verified optimum... or no optimum at all)."""
        from .errors import Error
        if self._model is None or not self._model["rows"] and not self._model["variables"]:
            raise Error(1, "the result has no ranging: its status is " + self.status.value)
        if self.status is not Status.OPTIMAL and "rhs_ranging" not in (self._model["rows"] or [{}])[0] \
                and "cost_ranging" not in (self._model["variables"] or [{}])[0]:
            raise Error(1, "the result has no ranging: its status is " + self.status.value)
        return Ranging(self._model)

    def table(self):
        """The columns' values and reduced costs and the rows' activities and
        duals as two tables: (columns, rows)."""
        if self._model is None:
            from .errors import Error
            raise Error(1, "the result has no values: its status is " + self.status.value)
        return (table({"value": self.values, "reduced_cost": self.reduced_costs}, index=self.column_names),
                table({"activity": self.activities, "dual": self.duals}, index=self.row_names))

    def __repr__(self):
        objective = "" if self.objective is None else ", objective=%r" % self.objective
        return "Result(status=%s, verified=%s%s)" % (self.status.value, self.verified, objective)
