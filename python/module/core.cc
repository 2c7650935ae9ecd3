// The Python module lpsens._core: models read or built from arrays, the run
// of the command line on them with its reports kept in memory, and the
// scenario solver.  The package (python/lpsens) builds its classes on these.
// Every solve runs without the interpreter lock.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <locale.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "driver/run.h"
#include "io/byte_source.h"
#include "io/files.h"
#include "model/array_model.h"
#include "model/read_problem.h"
#include "numeric/run_error.h"
#include "scenario/scenario_solver.h"

namespace py = pybind11;
using namespace lpsens;

namespace {

// Numbers read and written in the C locale's terms (a decimal point),
// whatever locale the program around has set: on this thread while it
// stands.
class CNumbers {
public:
    CNumbers() : c_(newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0))), before_(c_ ? uselocale(c_) : nullptr) {}
    ~CNumbers() {
        if (c_) {
            uselocale(before_);
            freelocale(c_);
        }
    }
    CNumbers(const CNumbers&) = delete;
    CNumbers& operator=(const CNumbers&) = delete;

private:
    locale_t c_;
    locale_t before_;
};

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;
using Indices = py::array_t<std::int64_t, py::array::c_style | py::array::forcecast>;

template <class T>
std::vector<T> vector_of(const py::array_t<T, py::array::c_style | py::array::forcecast>& a) {
    if (a.ndim() != 1) throw py::value_error("expected a one-dimensional array");
    return std::vector<T>(a.data(), a.data() + a.size());
}

py::array_t<double> array_of(const std::vector<double>& v) { return py::array_t<double>(v.size(), v.data()); }

double bound_of(Extended v) { return std::isinf(v) ? (v > 0 ? HUGE_VAL : -HUGE_VAL) : static_cast<double>(v); }

Problem read_model(const std::string& path, const std::string& format) {
    const CNumbers c_numbers;
    const int fd = open_input_file(path);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    ByteSource source(fd);
    source.origin = path;
    return read_problem(source, input_format(format, path));
}

// A problem as bytes and back, every value to the last bit (long double as
// it is stored): for pickling a model to another process.
class Bytes {
public:
    std::string text;
    template <class T>
    void put(const T& v) {
        text.append(reinterpret_cast<const char*>(&v), sizeof v);
    }
    void put_text(const std::string& s) {
        put<std::uint64_t>(s.size());
        text += s;
    }
};
class Reader {
public:
    explicit Reader(const std::string& t) : t_(t) {}
    template <class T>
    T get() {
        if (at_ + sizeof(T) > t_.size()) throw py::value_error("a pickled lpsens model is cut short");
        T v;
        std::memcpy(&v, t_.data() + at_, sizeof v);
        at_ += sizeof v;
        return v;
    }
    std::string get_text() {
        const auto n = get<std::uint64_t>();
        if (n > t_.size() - at_) throw py::value_error("a pickled lpsens model is cut short");
        std::string s = t_.substr(at_, n);
        at_ += n;
        return s;
    }

private:
    const std::string& t_;
    std::size_t at_ = 0;
};

py::bytes problem_bytes(const Problem& p) {
    Bytes b;
    b.put<std::uint32_t>(2);  // the layout's version
    b.put_text(p.title);
    b.put_text(p.source);
    b.put<std::uint8_t>(p.maximise);
    b.put(p.constant);
    b.put<std::uint64_t>(p.rows.size());
    for (const ProblemRow& r : p.rows) {
        b.put_text(r.name);
        b.put(r.type);
        b.put(r.rhs);
        b.put<std::uint8_t>(r.ranged);
        b.put(r.range);
    }
    b.put<std::uint64_t>(p.columns.size());
    for (const ProblemColumn& c : p.columns) {
        b.put_text(c.name);
        b.put(c.cost);
        b.put(c.lower);
        b.put(c.upper);
        b.put<std::uint8_t>(c.integer);
    }
    b.put<std::uint64_t>(p.matrix.nonzeros());
    for (const std::int32_t s : p.matrix.start) b.put(s);
    for (std::size_t e = 0; e < p.matrix.nonzeros(); ++e) {
        b.put(p.matrix.row[e]);
        b.put(p.matrix.value[e]);
    }
    // Since layout 2: how the values are held, and lpsens's own format's
    // row lists (without them such a model would be solved as another).
    b.put<std::uint8_t>(p.native);
    b.put<std::uint8_t>(p.binary_values);
    for (const auto* list : {&p.equality_list, &p.greater_list}) {
        b.put<std::uint64_t>(list->size());
        for (const std::int32_t i : *list) b.put(i);
    }
    return py::bytes(b.text);
}

Problem problem_from_bytes(const std::string& text) {
    Reader r(text);
    const auto layout = r.get<std::uint32_t>();
    if (layout != 1 && layout != 2) throw py::value_error("a pickled lpsens model of another layout");
    Problem p;
    p.title = r.get_text();
    p.source = r.get_text();
    p.maximise = r.get<std::uint8_t>() != 0;
    p.constant = r.get<Extended>();
    const auto m = r.get<std::uint64_t>();
    for (std::uint64_t i = 0; i < m; ++i) {
        ProblemRow row;
        row.name = r.get_text();
        row.type = r.get<char>();
        row.rhs = r.get<Extended>();
        row.ranged = r.get<std::uint8_t>() != 0;
        row.range = r.get<Extended>();
        p.rows.push_back(row);
    }
    const auto n = r.get<std::uint64_t>();
    for (std::uint64_t j = 0; j < n; ++j) {
        ProblemColumn c;
        c.name = r.get_text();
        c.cost = r.get<Extended>();
        c.lower = r.get<Extended>();
        c.upper = r.get<Extended>();
        c.integer = r.get<std::uint8_t>() != 0;
        p.columns.push_back(c);
    }
    const auto nonzeros = r.get<std::uint64_t>();
    p.matrix.start.assign(n + 1, 0);
    for (auto& s : p.matrix.start) s = r.get<std::int32_t>();
    for (std::uint64_t e = 0; e < nonzeros; ++e) {
        p.matrix.row.push_back(r.get<std::int32_t>());
        p.matrix.value.push_back(r.get<Extended>());
    }
    if (p.matrix.start.front() != 0 || static_cast<std::uint64_t>(p.matrix.start.back()) != nonzeros)
        throw py::value_error("a pickled lpsens model is damaged");
    if (layout >= 2) {
        p.native = r.get<std::uint8_t>() != 0;
        p.binary_values = r.get<std::uint8_t>() != 0;
        for (auto* list : {&p.equality_list, &p.greater_list}) {
            const auto count = r.get<std::uint64_t>();
            for (std::uint64_t k = 0; k < count; ++k) {
                const auto i = r.get<std::int32_t>();
                if (i < 1 || i > static_cast<std::int32_t>(m)) throw py::value_error("a pickled lpsens model is damaged");
                list->push_back(i);
            }
        }
    }
    return p;
}

py::dict problem_arrays(const Problem& p) {
    const int m = p.row_count(), n = p.column_count();
    std::vector<double> cost(n), lower(n), upper(n), row_lower(m), row_upper(m), value(p.matrix.nonzeros());
    std::vector<std::int64_t> start(p.matrix.start.begin(), p.matrix.start.end()), row(p.matrix.row.begin(), p.matrix.row.end());
    for (int j = 0; j < n; ++j) {
        cost[j] = static_cast<double>(p.columns[j].cost);
        lower[j] = bound_of(p.columns[j].lower);
        upper[j] = bound_of(p.columns[j].upper);
    }
    for (int i = 0; i < m; ++i) {
        const RowSides s = row_sides(p.rows[i]);
        row_lower[i] = bound_of(s.lower);
        row_upper[i] = bound_of(s.upper);
    }
    for (std::size_t e = 0; e < value.size(); ++e) value[e] = static_cast<double>(p.matrix.value[e]);
    py::dict d;
    d["costs"] = array_of(cost);
    d["column_lower"] = array_of(lower);
    d["column_upper"] = array_of(upper);
    d["row_lower"] = array_of(row_lower);
    d["row_upper"] = array_of(row_upper);
    d["start"] = py::array_t<std::int64_t>(start.size(), start.data());
    d["row"] = py::array_t<std::int64_t>(row.size(), row.data());
    d["value"] = array_of(value);
    d["constant"] = static_cast<double>(p.constant);
    return d;
}

// The statuses of a basis as small integers, for numpy.
py::tuple basis_tuple(const revised::Basis& b) {
    std::vector<std::uint8_t> cols(b.col_status.size()), rows(b.row_status.size());
    for (std::size_t j = 0; j < cols.size(); ++j) cols[j] = static_cast<std::uint8_t>(b.col_status[j]);
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<std::uint8_t>(b.row_status[i]);
    return py::make_tuple(py::array_t<std::uint8_t>(cols.size(), cols.data()),
                          py::array_t<std::uint8_t>(rows.size(), rows.data()));
}

std::optional<revised::Basis> basis_of(const py::object& o, const Problem& p) {
    if (o.is_none()) return std::nullopt;
    const auto pair = o.cast<std::pair<py::array_t<std::uint8_t>, py::array_t<std::uint8_t>>>();
    if (pair.first.size() != p.column_count() || pair.second.size() != p.row_count())
        throw py::value_error("the basis is of a model of another shape: " + std::to_string(pair.first.size()) +
                              " columns and " + std::to_string(pair.second.size()) + " rows for " +
                              std::to_string(p.column_count()) + " and " + std::to_string(p.row_count()));
    revised::Basis b;
    for (py::ssize_t j = 0; j < pair.first.size(); ++j) {
        const std::uint8_t s = pair.first.at(j);
        if (s > 4) throw py::value_error("a basis status is not one of 0..4");
        b.col_status.push_back(static_cast<revised::BasisStatus>(s));
    }
    for (py::ssize_t i = 0; i < pair.second.size(); ++i) {
        const std::uint8_t s = pair.second.at(i);
        if (s > 4) throw py::value_error("a basis status is not one of 0..4");
        b.row_status.push_back(static_cast<revised::BasisStatus>(s));
    }
    return b;
}

struct RunRequest {
    std::string mode;  // "", "pv", "rv"
    std::vector<std::string> sweeps;
    std::string bounds;  // "", "bound", "lower", "upper": sweeps of column bounds
    bool exact = false;
    std::string engine;  // "", "accurate", "classic"
    double time_limit = 0;
    std::string presolve;  // "", "on", "off"
    long max_exchanges = 0;
    long max_records = 1000;
    int threads = 0;
};

py::dict run(const Problem& problem, const RunRequest& request, const py::object& start_basis) {
    RunOptions options;
    options.mode = request.mode.empty() ? nullptr : request.mode.c_str();
    options.sweeps = request.sweeps;
    options.sweep_bounds = request.bounds;
    options.exact = request.exact;
    if (request.engine == "accurate") options.accurate = true;
    else if (request.engine == "classic") options.classic = true;
    else if (!request.engine.empty()) throw py::value_error("engine must be 'accurate' or 'classic', not '" + request.engine + "'");
    if (std::isnan(request.time_limit) || request.time_limit < 0) throw py::value_error("time_limit must be 0 (none) or more");
    options.time_limit = request.time_limit;
    if (request.presolve == "on") options.presolve = PresolveUse::on;
    else if (request.presolve == "off") options.presolve = PresolveUse::off;
    else if (!request.presolve.empty()) throw py::value_error("presolve must be True, False or None");
    if (request.max_exchanges < 0 || request.max_records < 1) throw py::value_error("limits must be positive");
    options.max_exchanges = request.max_exchanges;
    options.max_records = request.max_records;
    if (request.threads < 0 || request.threads > 2) throw py::value_error("threads must be 0 (by size), 1 or 2");
    options.threads = request.threads;
    options.csv_report = false;
    options.json = "-";  // the JSON is kept
    const std::optional<revised::Basis> start = basis_of(start_basis, problem);
    LibraryRun result;
    {
        py::gil_scoped_release unlocked;
        const CNumbers c_numbers;
        result = run_problem(problem, options, start ? &*start : nullptr);
    }
    py::dict d;
    d["json"] = result.json;
    d["chart"] = result.chart;
    d["console"] = result.console;
    d["exit_code"] = result.exit_code;
    d["basis"] = result.basis ? py::object(basis_tuple(*result.basis)) : py::none();
    return d;
}

py::dict outcome_dict(const scenario::Outcome& o) {
    py::dict d;
    d["status"] = scenario::status_name(o.status, o.verified);
    d["reported_status"] = scenario::status_name(o.status, true);
    d["verified"] = o.verified;
    d["objective"] = o.objective;
    d["values"] = array_of(o.values);
    d["activities"] = array_of(o.activities);
    d["duals"] = array_of(o.duals);
    d["reduced_costs"] = array_of(o.reduced_costs);
    d["iterations"] = o.iterations;
    d["findings"] = o.findings;
    return d;
}

scenario::Kind kind_of(const std::string& kind) {
    if (kind == "rhs") return scenario::Kind::rhs;
    if (kind == "cost") return scenario::Kind::cost;
    if (kind == "lower") return scenario::Kind::lower;
    if (kind == "upper") return scenario::Kind::upper;
    throw py::value_error("a change's kind is one of rhs, cost, lower and upper, not '" + kind + "'");
}

// A scenario as the package hands it over: (label, [(kind, index, value)]).
using ScenarioTuple = std::pair<std::string, std::vector<std::tuple<std::string, int, double>>>;

scenario::Scenario scenario_of(const ScenarioTuple& t) {
    scenario::Scenario s;
    s.label = t.first;
    for (const auto& [kind, index, value] : t.second) s.changes.push_back({kind_of(kind), index, value});
    return s;
}

class PyScenarioSolver {
public:
    PyScenarioSolver(const Problem& problem, bool warm, std::int64_t max_iterations, double time_limit,
                     const py::object& basis) {
        settings_.warm = warm;
        settings_.max_iterations = max_iterations;
        settings_.time_limit = time_limit;
        const std::optional<revised::Basis> start = basis_of(basis, problem);
        py::gil_scoped_release unlocked;
        const CNumbers c_numbers;
        solver_.emplace(problem, settings_, start ? &*start : nullptr);
    }
    py::dict base() const { return outcome_dict(solver_->base()); }
    py::tuple base_basis() const { return basis_tuple(solver_->base_basis()); }
    py::tuple find(const std::string& text) const {
        const scenario::Item item = scenario::ItemNames(solver_->model()).find(text);
        return py::make_tuple(scenario::kind_name(item.kind), item.index);
    }
    py::list solve_many(const std::vector<ScenarioTuple>& given, int threads) {
        std::vector<scenario::Scenario> scenarios;
        for (const ScenarioTuple& t : given) {
            scenarios.push_back(scenario_of(t));
            for (const scenario::Change& c : scenarios.back().changes) scenario::check_change(solver_->model(), c);
        }
        std::vector<scenario::Outcome> outcomes;
        {
            py::gil_scoped_release unlocked;
            // One solve at a time on this solver's core, whatever threads call.
            const std::lock_guard<std::mutex> hold(lock_);
            const CNumbers c_numbers;
            if (threads <= 1) {
                for (const scenario::Scenario& s : scenarios) outcomes.push_back(solver_->solve(s));
            } else {
                outcomes = scenario::solve_batch(*solver_, settings_, scenarios, threads);
            }
        }
        py::list out;
        for (const scenario::Outcome& o : outcomes) out.append(outcome_dict(o));
        return out;
    }

private:
    scenario::Settings settings_;
    std::optional<scenario::ScenarioSolver> solver_;
    std::mutex lock_;
};

}  // namespace

PYBIND11_MODULE(_core, m) {
    m.doc() = "The compiled core of lpsens; use the lpsens package.";

    py::register_exception_translator([](std::exception_ptr p) {
        try {
            if (p) std::rethrow_exception(p);
        } catch (const RunError& e) {
            const py::object error = py::module_::import("lpsens.errors").attr("Error");
            const py::object instance = error(e.code(), e.explanation());
            PyErr_SetObject(error.ptr(), instance.ptr());
        } catch (const std::bad_alloc&) {
            PyErr_SetString(PyExc_MemoryError, "out of memory");
        }
    });

    py::class_<Problem>(m, "Problem")
        .def_static(
            "read",
            [](const std::string& path, const std::string& format) {
                py::gil_scoped_release unlocked;
                return read_model(path, format);
            },
            py::arg("path"), py::arg("format") = "")
        .def_static(
            "from_arrays",
            [](const std::string& title, bool maximise, double constant, const Doubles& costs,
               const Doubles& column_lower, const Doubles& column_upper, const Indices& start, const Indices& row,
               const Doubles& value, const Doubles& row_lower, const Doubles& row_upper,
               const std::vector<std::string>& row_names, const std::vector<std::string>& column_names) {
                ModelArrays a;
                a.title = title;
                a.maximise = maximise;
                a.constant = constant;
                a.costs = vector_of(costs);
                a.column_lower = vector_of(column_lower);
                a.column_upper = vector_of(column_upper);
                a.start = vector_of(start);
                a.row = vector_of(row);
                a.value = vector_of(value);
                a.row_lower = vector_of(row_lower);
                a.row_upper = vector_of(row_upper);
                a.row_names = row_names;
                a.column_names = column_names;
                return model_from_arrays(a);
            })
        .def_static("from_bytes", [](const py::bytes& b) { return problem_from_bytes(std::string(b)); })
        .def("to_bytes", &problem_bytes)
        .def("arrays", &problem_arrays)
        .def_property_readonly("title", [](const Problem& p) { return p.title; })
        .def_property_readonly("source", [](const Problem& p) { return p.source; })
        .def_property_readonly("maximise", [](const Problem& p) { return p.maximise; })
        .def_property_readonly("native", [](const Problem& p) { return p.native; })
        .def_property_readonly("warnings", [](const Problem& p) { return p.warnings; })
        .def_property_readonly("row_names",
                               [](const Problem& p) {
                                   std::vector<std::string> names;
                                   for (const ProblemRow& r : p.rows) names.push_back(r.name);
                                   return names;
                               })
        .def_property_readonly("column_names",
                               [](const Problem& p) {
                                   std::vector<std::string> names;
                                   for (const ProblemColumn& c : p.columns) names.push_back(c.name);
                                   return names;
                               })
        .def_property_readonly("shape", [](const Problem& p) { return py::make_tuple(p.row_count(), p.column_count()); });

    m.def(
        "run",
        [](const Problem& problem, const std::string& mode, const std::vector<std::string>& sweeps,
           const std::string& bounds, bool exact, const std::string& engine, double time_limit,
           const std::string& presolve, long max_exchanges, long max_records, int threads, const py::object& basis) {
            RunRequest r{mode, sweeps, bounds, exact, engine, time_limit, presolve, max_exchanges, max_records, threads};
            return run(problem, r, basis);
        },
        py::arg("problem"), py::arg("mode") = "", py::arg("sweeps") = std::vector<std::string>{}, py::arg("bounds") = "", py::arg("exact") = false,
        py::arg("engine") = "", py::arg("time_limit") = 0.0, py::arg("presolve") = "", py::arg("max_exchanges") = 0,
        py::arg("max_records") = 1000, py::arg("threads") = 0, py::arg("basis") = py::none());

    m.def("find_item", [](const Problem& problem, const std::string& text) {
        const scenario::Item item = scenario::ItemNames(problem).find(text);
        return py::make_tuple(scenario::kind_name(item.kind), item.index);
    });

    py::class_<PyScenarioSolver>(m, "ScenarioSolver")
        .def(py::init<const Problem&, bool, std::int64_t, double, const py::object&>(), py::arg("problem"),
             py::arg("warm") = true, py::arg("max_iterations") = 0, py::arg("time_limit") = 0.0,
             py::arg("basis") = py::none())
        .def("base", &PyScenarioSolver::base)
        .def("base_basis", &PyScenarioSolver::base_basis)
        .def("find", &PyScenarioSolver::find)
        .def("solve_many", &PyScenarioSolver::solve_many, py::arg("scenarios"), py::arg("threads") = 1);
}
