"""A tour of the lpsens package, cell by cell as in a notebook.

    PYTHONPATH=build/python python3 examples/python/tour.py [OUTPUT_FOLDER]

(or, with lpsens installed, python3 examples/python/tour.py).  The chart goes
to OUTPUT_FOLDER/labour.svg (default: the current folder)."""

import os
import sys

import numpy as np

import lpsens

here = os.path.dirname(os.path.abspath(__file__))
out = sys.argv[1] if len(sys.argv) > 1 else "."

# %% Read a model: MPS, LP format or lpsens's own, told by name and content.
model = lpsens.read(os.path.join(here, "..", "mps", "rhs_sweep.mps"))
print(model)

# %% Solve it: the verdict, checked, and the values in the model's own terms.
result = model.solve()
print(result.status, "verified" if result.verified else "NOT verified", result.objective)
columns, rows = result.table()
print(columns)
print(rows)

# %% The ranging of every right-hand side and cost, with the objective at
# each limit and what enters and leaves the basis there.
ranging = result.ranging()
print(ranging.rhs[["lower", "upper", "objective_at_lower", "objective_at_upper"]])
print(ranging.cost[["lower", "upper", "entering_at_upper", "leaving_at_upper"]])

# %% Sweep labour's hours from 60 to 200: a record at every breakpoint.
sweep = model.sweep("labour", 60, 200)
print(sweep.table()[["t", "labour", "objective", "slope"]])
print("the sweep ended:", sweep.sweep_end)
sweep.chart().save(os.path.join(out, "labour.svg"))  # in Jupyter, `sweep.chart()` shows it

# %% The same model built in code, row by row and column by column.
built = lpsens.Model(sense="max", title="rhs_sweep")
for name, upper in (("labour", 120), ("wood", 200)):
    built.add_row(name, upper=upper)
built.add_row("orders", lower=10)
built.add_row("balance", lower=0, upper=0)
built.add_column("chairs", 20, entries={"labour": 1, "wood": 3, "balance": 1})
built.add_column("tables", 30, entries={"labour": 2, "wood": 2, "orders": 1})
built.add_column("desks", 45, entries={"labour": 3, "wood": 4, "balance": -2})
assert built.solve().objective == result.objective

# %% A thousand scenarios of labour and wood, each solved warm from the
# model's optimal basis on the usable cores.
rng = np.random.default_rng(1)
scenarios = [{"rhs:labour": float(h), "rhs:wood": float(w)}
             for h, w in zip(rng.uniform(60, 200, 1000), rng.uniform(150, 250, 1000))]
results = lpsens.solve_many(model, scenarios)
objectives = np.array([r.objective for r in results if r.objective is not None])
print("%d scenarios, %d verified; the optimum from %.1f to %.1f"
      % (len(results), sum(r.verified for r in results), objectives.min(), objectives.max()))
