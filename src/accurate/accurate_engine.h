// Accurate mode: the same pipeline and reports, with numerics built for real
// problems of any size.
//
// The revised simplex core (revised/) solves the model as it is: bounds and
// ranges stay bounds, nothing is added; the values are the model's own, as
// read, in double precision.  Its final basis becomes a basis of the
// documented form (form_basis.h), and the reports, ranging and sweeps read
// the form's tableau made line by line from a factorisation of that basis
// (form_tableau.h), with values and prices refined in extended precision.
//
// With EngineSettings::presolve (imported models) the first solve solves the
// presolved model and hands the core the basis postsolve makes of its
// optimum; the core factorises it and makes the few iterations it may still
// need, so every result stays the core's own on the model as given.
//
// Tolerances (on the scaled model; see revised/solver_options.h): 1e-7 for primal
// and dual feasibility, pivots in the ratio tests from 1e-9 up to 1e-7
// relative.  A result that fails the core's own check against the unscaled
// model is never final: it is redone with fresh factors and tighter
// tolerances, then from the slack basis.
//
// Infeasible results carry the core's Farkas vector and unbounded ones its
// ray, both carried over to the form's rows and variables for the checks.
// Sweeps re-optimise from the current basis: the primal simplex method after
// a change of costs, the dual one after a change of right-hand sides.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "accurate/form_tableau.h"
#include "engine/progress.h"
#include "engine/engine.h"
#include "form/documented_form.h"
#include "form/double_form.h"
#include "io/channel.h"
#include "revised/revised_simplex.h"

namespace lpsens {

struct FormBasis;

class AccurateEngine final : public SolveEngine {
public:
    // Solves the form itself (every bound a row), with the form's values as
    // read and the parametric start values written in.
    AccurateEngine(const DocumentedForm& form, const EngineSettings& settings, Channel& console);
    // Solves `model`, of which `form` is the conversion by `map`; both must
    // outlive the engine.
    AccurateEngine(const DocumentedForm& form, const Problem& model, const ModelMap& map,
                   const EngineSettings& settings, Channel& console);
    ~AccurateEngine() override;

    SolveResult solve() override;
    SolveResult reoptimise(const ParameterMove& move) override;
    const TableauView& tableau() const override { return *view_; }
    const ExchangeLog& log() const override { return log_; }
    // The core that solves the model, for sweeps in the model's own terms
    // that move it themselves and then ask reoptimise() for the form's view.
    revised::RevisedSimplex& core() { return *simplex_; }
    // Starts the first solve from `basis` of the model (one a solve of a
    // model of the same shape ended with) instead of presolving: a warm
    // start for a model that differs a little from one solved before.
    void start_from(const revised::Basis& basis);
    // Makes the view of a basis of the form: `basic` 1..M, `nonbasic`
    // 1..N+K2.
    using ViewMaker = std::function<std::unique_ptr<TableauView>(std::vector<VariableId> basic,
                                                                 std::vector<VariableId> nonbasic)>;
    // The result of `basis` of the model, an optimum proven elsewhere (in
    // exact arithmetic), with `values` the model's column values: its view
    // made from the basis itself (by `make`, where given), the core left
    // where it stands.  Throws RunError where the basis is singular in the
    // documented form.
    SolveResult optimum_at(const revised::Basis& basis, const std::vector<double>& values, const ViewMaker& make = {});

private:
    class Console;
    SolveResult run();
    // The form's tableau of `basis` as the view (made by `make`, where
    // given), and its basis in `r`.
    void take_view(const FormBasis& basis, SolveResult& r, const ViewMaker& make = {});

    // Before the first solve: the core starts from the basis of the
    // presolved model (presolve/presolve.h) where that solves to an optimum.
    void start_from_presolve();

    Channel& console_;
    ExchangeLog log_;
    bool presolve_pending_ = false;
    bool presolve_asked_ = false;    // --presolve=on, not by size
    DoubleForm problem_;  // the form; right-hand sides and objective move in sweeps
    ModelMap own_map_;       // the form's identity map, when no model is given
    const ModelMap* map_;
    std::unique_ptr<revised::RevisedSimplex> simplex_;
    std::unique_ptr<TableauView> view_;
    long cap_;
    std::unique_ptr<Console> observer_;  // after log_, which it reads
};

}  // namespace lpsens
