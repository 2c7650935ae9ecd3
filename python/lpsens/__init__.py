"""lpsens: linear programs with their sensitivity analysis.

    import lpsens
    model = lpsens.read("model.mps")
    result = model.solve()
    print(result.status, result.objective)
    print(result.ranging().rhs)
    print(model.sweep("capacity", 10, 40).table())

Every result is checked against the model as read; ``verified`` says so.
"""

from .errors import Error
from .model import Model, read
from .result import Basis, Ranging, Result, Status
from .scenarios import ScenarioResult, solve_many
from .sweep import Chart, Sweep

__all__ = ["Basis", "Chart", "Error", "Model", "Ranging", "Result", "ScenarioResult", "Status", "Sweep",
           "read", "solve_many"]
__version__ = "1.1.0"
