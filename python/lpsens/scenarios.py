"""Batches of scenarios of one model: each a set of changes to right-hand
sides, costs and bounds, solved warm from the model's optimal basis, here
on the usable cores or on any executor (concurrent.futures, or a Dask
``distributed.Client`` across a cluster)."""

import hashlib
import math
import os
import threading
from collections.abc import Mapping

import numpy as np

from . import _core
from .result import Status

KINDS = ("rhs", "cost", "lower", "upper")


class ScenarioResult:
    """One scenario's result: ``label``, ``changes`` (item: value),
    ``status`` (a ``Status``), ``verified``, ``objective`` in the model's
    sense, numpy arrays ``values``, ``activities``, ``duals`` and
    ``reduced_costs`` (None without an optimum), ``iterations`` and, where
    the check failed, its ``findings``."""

    def __init__(self, label, changes, outcome):
        self.label = label
        self.changes = changes
        self.status = Status(outcome["status"])
        self.reported_status = Status(outcome["reported_status"])
        self.verified = outcome["verified"]
        optimal = self.reported_status is Status.OPTIMAL
        self.objective = outcome["objective"] if optimal else None
        for key in ("values", "activities", "duals", "reduced_costs"):
            setattr(self, key, outcome[key] if optimal else None)
        self.iterations = outcome["iterations"]
        self.findings = outcome["findings"]

    def __repr__(self):
        return "ScenarioResult(%r, status=%s, objective=%r)" % (self.label, self.status.value, self.objective)


def _usable_cores():
    try:
        return max(1, len(os.sched_getaffinity(0)))
    except AttributeError:  # pragma: no cover - Linux has it
        return os.cpu_count() or 1


def _items(scenario):
    """A scenario's changes as (item text, value): from {"rhs:cap": 5, ...},
    {"rhs": {"cap": 5}, "cost": {...}}, a pandas row, or pairs."""
    if hasattr(scenario, "items") and not isinstance(scenario, Mapping):
        scenario = dict(scenario.items())  # a pandas Series
    if isinstance(scenario, Mapping):
        pairs = []
        for key, value in scenario.items():
            if key in KINDS and isinstance(value, Mapping):
                pairs.extend((key + ":" + str(name), v) for name, v in value.items())
            else:
                pairs.append((str(key), value))
        return pairs
    return [(str(k), v) for k, v in scenario]


def _scenario_list(model_core, scenarios):
    """Labels and (kind, index, value) changes of every scenario, names
    resolved once; an empty or NaN value leaves the item as it is."""
    if hasattr(scenarios, "iterrows"):  # a pandas DataFrame: a row per scenario
        given = [(str(label), row) for label, row in scenarios.iterrows()]
    else:
        given = [(str(k + 1), s) for k, s in enumerate(scenarios)]
    found = {}
    out = []
    for label, scenario in given:
        changes = []
        for text, value in _items(scenario):
            if value is None or (isinstance(value, float) and math.isnan(value)):
                continue
            if text not in found:
                found[text] = _core.find_item(model_core, text)
            kind, index = found[text]
            changes.append((kind, index, float(value)))
        out.append((label, changes))
    return out


# A worker keeps the solver of each model it was given, per thread, so the
# model is loaded and factorised once however many chunks it solves.
_SOLVERS = {}
_SOLVERS_LOCK = threading.Lock()
_KEPT = 16


def _solver(model_bytes, basis, warm):
    key = (hashlib.sha1(model_bytes).hexdigest(), warm, threading.get_ident())
    with _SOLVERS_LOCK:
        solver = _SOLVERS.get(key)
    if solver is None:
        problem = _core.Problem.from_bytes(model_bytes)
        solver = _core.ScenarioSolver(problem, warm=warm, basis=basis)
        with _SOLVERS_LOCK:
            if len(_SOLVERS) >= _KEPT:  # a worker keeps the latest models only
                _SOLVERS.pop(next(iter(_SOLVERS)))
            _SOLVERS[key] = solver
    return solver


def _solve_chunk(model_bytes, basis, warm, chunk):
    """Solves a chunk of scenarios on this worker (a process or a thread)."""
    return _solver(model_bytes, basis, warm).solve_many(chunk, threads=1)


def solve_many(model, scenarios, executor=None, warm=True, chunk_size=None):
    """Solves every scenario of ``model`` and returns one ``ScenarioResult``
    per scenario, in their order.

    A scenario is a mapping of items to values: "rhs:ROW", "cost:COLUMN",
    "lower:COLUMN", "upper:COLUMN" or a bare name (a row's right-hand side,
    else a column's cost), or {"rhs": {ROW: value}, "cost": {...}, ...}; a
    pandas DataFrame gives one scenario per row, its columns named by items
    (NaN leaves an item as it is).

    Each worker keeps the model and starts every scenario from the model's
    own optimal basis (``warm=False``: from the slack basis), so results do
    not depend on how the batch is split.  Without ``executor`` the batch
    runs here on the usable cores; with a ``concurrent.futures`` executor or
    a Dask ``distributed.Client`` it is split into chunks run there."""
    core = model._core()
    batch = _scenario_list(core, scenarios)
    if executor is None:
        solver = _core.ScenarioSolver(core, warm=warm)
        outcomes = solver.solve_many(batch, threads=_usable_cores())
    else:
        base = _core.ScenarioSolver(core, warm=warm)
        basis = base.base_basis()
        model_bytes = core.to_bytes()
        workers = _workers(executor)
        size = chunk_size or max(1, math.ceil(len(batch) / (4 * workers)))
        chunks = [batch[k:k + size] for k in range(0, len(batch), size)]
        if hasattr(executor, "scatter"):  # Dask: the model goes to every worker once
            model_bytes = executor.scatter(model_bytes, broadcast=True)
        futures = [executor.submit(_solve_chunk, model_bytes, basis, warm, chunk) for chunk in chunks]
        outcomes = [o for f in futures for o in f.result()]
    return [ScenarioResult(label, {_name(core, kind, index): value for kind, index, value in changes}, o)
            for (label, changes), o in zip(batch, outcomes)]


def _name(core, kind, index):
    names = core.row_names if kind == "rhs" else core.column_names
    return kind + ":" + names[index]


def _workers(executor):
    if hasattr(executor, "nthreads"):  # distributed.Client
        try:
            return max(1, sum(executor.nthreads().values()))
        except Exception:  # pragma: no cover - a client that cannot say
            return 1
    return max(1, getattr(executor, "_max_workers", 1))
