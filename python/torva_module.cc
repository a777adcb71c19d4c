// The Python module torva over the C++ interface: solvers, sorts, terms with
// operators, arrays and uninterpreted functions, models, the enums Kind and
// Result, and torva::Error raised as torva.TorvaError. Every Python sort,
// term and model keeps its solver alive. A
// check runs without the GIL; while it runs, the solver refuses every other
// use (from another thread or from its own terminate callback).
#include <torva/torva.hpp>

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace py = pybind11;

namespace {

const char* const kModuleDoc = R"(Formulas over bit vectors, arrays and uninterpreted functions, built term
by term and checked by a torva solver.

    s = torva.Solver()
    x = s.bv_const("x", 8)
    s.add(x * 3 == 21)
    if s.check() == torva.Result.SAT:
        print(int(s.model()[x]))

Operators on terms build terms: + - * & | ^ ~ << >> and unary - on bit
vectors (& | ^ ~ are And, Or, Xor, Not on Booleans), >> is the logical shift
right, == and != build equalities and disequalities of bit vectors and of
Booleans. A Python int on either side becomes a value of the other operand's
width (negative ints in two's complement). The orderings and the other
operators are functions, so that their signedness is always explicit: ult ule
ugt uge slt sle sgt sge udiv urem sdiv srem smod lshr ashr. A term has no
truth value unless it is a Boolean value or an equality of a term with itself;
use t.eq(u) to ask whether two terms are the same term.

Arrays and functions:

    mem = s.const(s.array_sort(s.bv_sort(4), s.bv_sort(8)), "mem")
    f = s.const(s.function_sort([s.bv_sort(8)], s.bv_sort(8)), "f")
    s.add(Select(Store(mem, 3, 7), 3) == f(mem.select(2)))

A model gives an array's value as a term of stores over a constant array,
and model.text(t) gives any value, a function's too, as SMT-LIB 2 text.)";

// One solver and what the module keeps beside it; shared by the Python solver
// and by every term and model made from it. Its fields are only touched with
// the GIL held; the solver itself is used without the GIL during a check, when
// `checking_` keeps everyone else out.
class SolverBox : public std::enable_shared_from_this<SolverBox> {
public:
    torva::Solver& use() {
        if (checking_) throw torva::Error("the solver is running a check");
        return solver_;
    }

    torva::Result check(const std::vector<torva::Term>& assumptions) {
        torva::Solver& solver = use();
        checking_ = true;
        struct Done {
            SolverBox* box;
            ~Done() { box->checking_ = false; }
        } done{this};
        torva::Result result;
        {
            py::gil_scoped_release release;
            result = solver.checkSat(assumptions);
        }
        ++checks_;
        last_ = result;
        return result;
    }

    // Counts the checks that answered, so that a model knows when it is stale.
    uint64_t checks() const { return checks_; }
    bool lastWasSat() const { return checks_ > 0 && last_ == torva::Result::Sat; }

    void setTerminate(py::object callback) {
        torva::Solver& solver = use();
        if (callback.is_none()) {
            solver.setTerminateCallback({});
        } else {
            solver.setTerminateCallback([this]() { return pollTerminate(); });
        }
        terminate_ = std::move(callback);
    }

private:
    // Called by the search without the GIL; an exception in the callback is
    // reported as unraisable and stops the check.
    bool pollTerminate() {
        py::gil_scoped_acquire gil;
        try {
            return py::bool_(terminate_());
        } catch (py::error_already_set& e) {
            e.discard_as_unraisable("torva terminate callback");
            return true;
        }
    }

    torva::Solver solver_;
    py::object terminate_;
    bool checking_ = false;
    uint64_t checks_ = 0;
    torva::Result last_ = torva::Result::Unknown;
};

struct PyTerm {
    std::shared_ptr<SolverBox> box;
    torva::Term term;

    // The term, once its solver is free to be used.
    const torva::Term& get() const {
        box->use();
        return term;
    }
};

// A sort; it keeps its solver alive, since an array or function sort reads
// its parts from there.
struct PySort {
    std::shared_ptr<SolverBox> box;
    torva::Sort sort;
};

struct PyModel {
    std::shared_ptr<SolverBox> box;
    uint64_t check;
};

PyTerm wrap(SolverBox& box, const torva::Term& term) { return PyTerm{box.shared_from_this(), term}; }
PySort wrap(SolverBox& box, const torva::Sort& sort) { return PySort{box.shared_from_this(), sort}; }

std::vector<PyTerm> wrapAll(SolverBox& box, const std::vector<torva::Term>& terms) {
    std::vector<PyTerm> wrapped;
    wrapped.reserve(terms.size());
    for (const torva::Term& t : terms) wrapped.push_back(wrap(box, t));
    return wrapped;
}

std::vector<torva::Term> unwrapAll(const std::vector<PyTerm>& terms) {
    std::vector<torva::Term> unwrapped;
    unwrapped.reserve(terms.size());
    for (const PyTerm& t : terms) unwrapped.push_back(t.get());
    return unwrapped;
}

std::string text(py::handle object) { return py::str(object).cast<std::string>(); }

// A term among positional arguments, which pybind11 passes untyped.
const torva::Term& termArgument(py::handle object) {
    if (!py::isinstance<PyTerm>(object)) throw py::type_error("expected a torva.Term, got " + text(py::repr(object)));
    return object.cast<const PyTerm&>().get();
}

// A bit-vector value from a Python int in [-2^(w-1), 2^w), the negative ones
// in two's complement; passed on as exactly `width` binary digits.
torva::Term bvValue(torva::Solver& solver, const py::int_& value, uint32_t width) {
    const py::int_ modulus = py::int_(1) << py::int_(width);
    const py::int_ lowest = -(modulus >> py::int_(1));
    if (value < lowest || value >= modulus)
        throw torva::Error("the value " + text(value) + " does not fit in " + std::to_string(width) + " bits");
    const py::object unsigned_value = value < py::int_(0) ? py::object(value + modulus) : py::object(value);
    std::string digits = text(py::reinterpret_steal<py::object>(PyNumber_ToBase(unsigned_value.ptr(), 2)));
    digits.erase(0, 2);  // the "0b" prefix
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return solver.mkBvValue(width, digits, 2);
}

py::int_ intFromDigits(const std::string& hex) {
    return py::reinterpret_steal<py::int_>(PyLong_FromString(hex.c_str(), nullptr, 16));
}

bool isTerm(py::handle object) { return py::isinstance<PyTerm>(object); }

// An operand given as a term, or as a Python bool or int standing for a value
// of the sort `like`. Returns a null term when the object is neither.
torva::Term operandOrNull(torva::Solver& solver, py::handle object, const torva::Sort& like) {
    if (isTerm(object)) return termArgument(object);
    if (like.isBool() && PyBool_Check(object.ptr())) return solver.mkBoolean(object.cast<bool>());
    if (like.isBv() && PyLong_Check(object.ptr())) return bvValue(solver, py::reinterpret_borrow<py::int_>(object), like.getBvWidth());
    return torva::Term();
}

torva::Term operand(torva::Solver& solver, py::handle object, const torva::Sort& like) {
    torva::Term term = operandOrNull(solver, object, like);
    if (term.isNull())
        throw py::type_error("expected a term or a value of sort " + like.toString() + ", got " +
                             text(py::repr(object)));
    return term;
}

// The first term among `objects`: it names the solver and the sort that the
// Python values among them take.
const PyTerm& firstTerm(const std::vector<py::handle>& objects) {
    for (py::handle object : objects)
        if (isTerm(object)) return object.cast<const PyTerm&>();
    throw py::type_error("at least one operand must be a torva.Term");
}

// A term of `kind` over objects of which at least one is a term and the others
// stand for values of that term's sort.
PyTerm build(torva::Kind kind, const std::vector<py::handle>& objects) {
    const PyTerm& first = firstTerm(objects);
    torva::Solver& solver = first.box->use();
    const torva::Sort like = first.term.getSort();
    std::vector<torva::Term> args;
    args.reserve(objects.size());
    for (py::handle object : objects) args.push_back(operand(solver, object, like));
    return wrap(*first.box, solver.mkTerm(kind, args));
}

std::vector<py::handle> handles(const py::args& args) { return std::vector<py::handle>(args.begin(), args.end()); }

py::object notImplemented() { return py::reinterpret_borrow<py::object>(Py_NotImplemented); }

// An operator method: `self op other`, or `other op self` when `reflected`;
// NotImplemented when `other` is of no type the operator takes, so that Python
// raises its own TypeError (or, for ==, falls back to identity).
using KindOfSort = torva::Kind (*)(const torva::Sort&);

py::object binary(const PyTerm& self, py::handle other, KindOfSort kindOf, bool reflected) {
    torva::Solver& solver = self.box->use();
    const torva::Sort sort = self.term.getSort();
    torva::Term rhs = operandOrNull(solver, other, sort);
    if (rhs.isNull()) return notImplemented();
    std::vector<torva::Term> args = reflected ? std::vector<torva::Term>{rhs, self.term}
                                              : std::vector<torva::Term>{self.term, rhs};
    return py::cast(wrap(*self.box, solver.mkTerm(kindOf(sort), args)));
}

template <torva::Kind kind>
torva::Kind always(const torva::Sort&) {
    return kind;
}

template <torva::Kind boolKind, torva::Kind bvKind>
torva::Kind bySort(const torva::Sort& sort) {
    return sort.isBool() ? boolKind : bvKind;
}

template <KindOfSort kindOf>
void defineOperator(py::class_<PyTerm>& cls, const char* name, const char* reflectedName) {
    cls.def(name, [](const PyTerm& self, py::object other) { return binary(self, other, kindOf, false); },
            py::is_operator());
    if (reflectedName)
        cls.def(reflectedName, [](const PyTerm& self, py::object other) { return binary(self, other, kindOf, true); },
                py::is_operator());
}

// The truth value a term has by its structure alone: a Boolean value, or an
// equality or disequality of a term with itself (which lets terms serve as
// dictionary keys). Every other term has none.
bool truthValue(const PyTerm& self) {
    const torva::Term& t = self.get();
    if (t.getKind() == torva::Kind::CONSTANT && t.getSort().isBool()) return t.getBooleanValue();
    const bool sameOperands = t.getNumChildren() == 2 && t[0] == t[1];
    if (t.getKind() == torva::Kind::EQUAL && sameOperands) return true;
    if (t.getKind() == torva::Kind::DISTINCT && sameOperands) return false;
    throw py::type_error("a symbolic term has no truth value: check it with a solver, or use t.eq(u) for identity");
}

py::int_ integerValue(const PyTerm& self) {
    const torva::Term& t = self.get();
    if (t.getKind() != torva::Kind::CONSTANT) throw py::type_error("only a value term has an integer value");
    if (t.getSort().isBool()) return py::int_(t.getBooleanValue() ? 1 : 0);
    return intFromDigits(t.getBvValue(16));
}

// Statistics values as Python numbers where they are numbers.
py::object statisticValue(const std::string& value) {
    py::str text(value);
    for (const char* type : {"int", "float"}) {
        try {
            return py::module_::import("builtins").attr(type)(text);
        } catch (py::error_already_set&) {
        }
    }
    return text;
}

std::string optionText(py::handle value) {
    if (PyBool_Check(value.ptr())) return value.cast<bool>() ? "true" : "false";
    if (PyLong_Check(value.ptr())) return text(value);
    if (PyFloat_Check(value.ptr())) return text(py::repr(value));
    if (PyUnicode_Check(value.ptr())) return value.cast<std::string>();
    throw py::type_error("an option value is a str, bool, int or float");
}

void defineEnums(py::module_& m) {
    py::enum_<torva::Result> result(m, "Result", "The answer of a check; str() gives sat, unsat or unknown.");
    result.value("SAT", torva::Result::Sat).value("UNSAT", torva::Result::Unsat).value("UNKNOWN", torva::Result::Unknown);
    // Replaces the enum's own __str__ (a def would only add an overload after it).
    result.attr("__str__") = py::cpp_function([](torva::Result r) { return torva::resultName(r); }, py::is_method(result));

    using K = torva::Kind;
    py::enum_<K> kind(m, "Kind", "The operators of the term language.");
    const std::pair<const char*, K> kinds[] = {
        {"CONSTANT", K::CONSTANT}, {"VARIABLE", K::VARIABLE}, {"NOT", K::NOT}, {"AND", K::AND}, {"OR", K::OR},
        {"XOR", K::XOR}, {"IMPLIES", K::IMPLIES}, {"EQUAL", K::EQUAL}, {"DISTINCT", K::DISTINCT}, {"ITE", K::ITE},
        {"BV_CONCAT", K::BV_CONCAT}, {"BV_EXTRACT", K::BV_EXTRACT}, {"BV_REPEAT", K::BV_REPEAT},
        {"BV_ZERO_EXTEND", K::BV_ZERO_EXTEND}, {"BV_SIGN_EXTEND", K::BV_SIGN_EXTEND},
        {"BV_ROTATE_LEFT", K::BV_ROTATE_LEFT}, {"BV_ROTATE_RIGHT", K::BV_ROTATE_RIGHT}, {"BV_NOT", K::BV_NOT},
        {"BV_AND", K::BV_AND}, {"BV_OR", K::BV_OR}, {"BV_XOR", K::BV_XOR}, {"BV_NAND", K::BV_NAND},
        {"BV_NOR", K::BV_NOR}, {"BV_XNOR", K::BV_XNOR}, {"BV_COMP", K::BV_COMP}, {"BV_NEG", K::BV_NEG},
        {"BV_ADD", K::BV_ADD}, {"BV_SUB", K::BV_SUB}, {"BV_MUL", K::BV_MUL}, {"BV_UDIV", K::BV_UDIV},
        {"BV_UREM", K::BV_UREM}, {"BV_SDIV", K::BV_SDIV}, {"BV_SREM", K::BV_SREM}, {"BV_SMOD", K::BV_SMOD},
        {"BV_SHL", K::BV_SHL}, {"BV_LSHR", K::BV_LSHR}, {"BV_ASHR", K::BV_ASHR}, {"BV_ULT", K::BV_ULT},
        {"BV_ULE", K::BV_ULE}, {"BV_UGT", K::BV_UGT}, {"BV_UGE", K::BV_UGE}, {"BV_SLT", K::BV_SLT},
        {"BV_SLE", K::BV_SLE}, {"BV_SGT", K::BV_SGT}, {"BV_SGE", K::BV_SGE}, {"SELECT", K::SELECT},
        {"STORE", K::STORE}, {"CONST_ARRAY", K::CONST_ARRAY}, {"APPLY", K::APPLY},
    };
    for (const auto& [name, value] : kinds) kind.value(name, value);
}

std::vector<PySort> wrapAll(SolverBox& box, const std::vector<torva::Sort>& sorts) {
    std::vector<PySort> wrapped;
    for (const torva::Sort& sort : sorts) wrapped.push_back(wrap(box, sort));
    return wrapped;
}

void defineSort(py::module_& m) {
    py::class_<PySort>(m, "Sort", "The Boolean sort, a bit-vector sort, an array sort or a function sort.")
        .def("is_bool", [](const PySort& s) { return s.sort.isBool(); })
        .def("is_bv", [](const PySort& s) { return s.sort.isBv(); })
        .def("is_array", [](const PySort& s) { return s.sort.isArray(); })
        .def("is_function", [](const PySort& s) { return s.sort.isFunction(); })
        .def_property_readonly("width", [](const PySort& s) { return s.sort.getBvWidth(); })
        .def_property_readonly("index", [](const PySort& s) { return wrap(*s.box, s.sort.getArrayIndexSort()); })
        .def_property_readonly("element", [](const PySort& s) { return wrap(*s.box, s.sort.getArrayElementSort()); })
        .def_property_readonly("domain", [](const PySort& s) { return wrapAll(*s.box, s.sort.getFunctionDomainSorts()); })
        .def_property_readonly("codomain", [](const PySort& s) { return wrap(*s.box, s.sort.getFunctionCodomainSort()); })
        .def("__str__", [](const PySort& s) { return s.sort.toString(); })
        .def("__repr__", [](const PySort& s) { return "Sort(" + s.sort.toString() + ")"; })
        .def("__eq__", [](const PySort& a, const PySort& b) { return a.sort == b.sort; })
        .def("__hash__", [](const PySort& s) { return s.sort.hash(); });
}

// (select a i) and (store a i e), an int index or element taking the sort
// the array gives it.
PyTerm select(const PyTerm& array, py::object index) {
    torva::Solver& solver = array.box->use();
    const torva::Sort sort = array.get().getSort();
    if (!sort.isArray()) throw torva::Error("select expects an array, got a term of sort " + sort.toString());
    return wrap(*array.box, solver.mkSelect(array.term, operand(solver, index, sort.getArrayIndexSort())));
}

PyTerm store(const PyTerm& array, py::object index, py::object element) {
    torva::Solver& solver = array.box->use();
    const torva::Sort sort = array.get().getSort();
    if (!sort.isArray()) throw torva::Error("store expects an array, got a term of sort " + sort.toString());
    return wrap(*array.box, solver.mkStore(array.term, operand(solver, index, sort.getArrayIndexSort()),
                                           operand(solver, element, sort.getArrayElementSort())));
}

// f(x, ...) of an uninterpreted function, int arguments taking its domain's sorts.
PyTerm applyFunction(const PyTerm& function, const py::args& args) {
    torva::Solver& solver = function.box->use();
    const torva::Sort sort = function.get().getSort();
    if (!sort.isFunction()) throw py::type_error("only a function can be called, not a term of sort " + sort.toString());
    const std::vector<torva::Sort> domain = sort.getFunctionDomainSorts();
    if (args.size() != domain.size())
        throw torva::Error("the function takes " + std::to_string(domain.size()) + " arguments, got " +
                           std::to_string(args.size()));
    std::vector<torva::Term> operands;
    for (size_t i = 0; i < domain.size(); i++) operands.push_back(operand(solver, args[i], domain[i]));
    return wrap(*function.box, solver.mkApply(function.term, operands));
}

void defineTermOperators(py::class_<PyTerm>& cls) {
    using K = torva::Kind;
    defineOperator<always<K::BV_ADD>>(cls, "__add__", "__radd__");
    defineOperator<always<K::BV_SUB>>(cls, "__sub__", "__rsub__");
    defineOperator<always<K::BV_MUL>>(cls, "__mul__", "__rmul__");
    defineOperator<bySort<K::AND, K::BV_AND>>(cls, "__and__", "__rand__");
    defineOperator<bySort<K::OR, K::BV_OR>>(cls, "__or__", "__ror__");
    defineOperator<bySort<K::XOR, K::BV_XOR>>(cls, "__xor__", "__rxor__");
    defineOperator<always<K::BV_SHL>>(cls, "__lshift__", "__rlshift__");
    defineOperator<always<K::BV_LSHR>>(cls, "__rshift__", "__rrshift__");
    defineOperator<always<K::EQUAL>>(cls, "__eq__", nullptr);
    defineOperator<always<K::DISTINCT>>(cls, "__ne__", nullptr);
    cls.def("__invert__", [](const PyTerm& a) {
        torva::Solver& solver = a.box->use();
        return wrap(*a.box, a.term.getSort().isBool() ? solver.mkNot(a.term) : solver.mkBvNot(a.term));
    });
    cls.def("__neg__", [](const PyTerm& a) { return wrap(*a.box, a.box->use().mkBvNeg(a.term)); });
}

void defineTerm(py::module_& m) {
    py::class_<PyTerm> cls(m, "Term", "A term of a solver; it keeps its solver alive.");
    cls.def_property_readonly("sort", [](const PyTerm& t) { return wrap(*t.box, t.get().getSort()); })
        .def_property_readonly("width", [](const PyTerm& t) { return t.get().getSort().getBvWidth(); })
        .def_property_readonly("kind", [](const PyTerm& t) { return t.get().getKind(); })
        .def_property_readonly("children", [](const PyTerm& t) { return wrapAll(*t.box, t.get().getChildren()); })
        .def_property_readonly("indices", [](const PyTerm& t) { return t.get().getIndices(); })
        .def_property_readonly("symbol", [](const PyTerm& t) { return t.get().getSymbol(); })
        .def_property_readonly("id", [](const PyTerm& t) { return t.term.getId(); })
        .def("eq", [](const PyTerm& a, const PyTerm& b) { return a.term == b.term; },
             "Whether both are the same term.")
        .def("same_as", [](const PyTerm& a, const PyTerm& b) { return a.term == b.term; },
             "Whether both are the same term.")
        .def("__hash__", [](const PyTerm& t) { return t.term.hash(); })
        .def("__str__", [](const PyTerm& t) { return t.get().toString(); })
        .def("__repr__", [](const PyTerm& t) { return "Term(" + t.get().toString() + ")"; })
        .def("__bool__", &truthValue)
        .def("__int__", &integerValue)
        .def("select", &select, py::arg("index"), "(select self index) of an array.")
        .def("store", &store, py::arg("index"), py::arg("element"), "(store self index element) of an array.")
        .def("__call__", &applyFunction, "The application of a function to its arguments.");
    defineTermOperators(cls);
}

void defineModel(py::module_& m) {
    py::class_<PyModel>(m, "Model", "The model of a check that answered sat.")
        .def("__getitem__", [](const PyModel& model, const PyTerm& term) {
            torva::Solver& solver = model.box->use();
            if (model.box->checks() != model.check) throw torva::Error("the model is stale: the solver checked again");
            return wrap(*model.box, solver.getValue(term.get()));
        }, "The value of a term: a value term, which int() and bool() read; an array's is stores over a constant array.")
        .def("text", [](const PyModel& model, const PyTerm& term) {
            torva::Solver& solver = model.box->use();
            if (model.box->checks() != model.check) throw torva::Error("the model is stale: the solver checked again");
            return solver.getValueString(term.get());
        }, "SMT-LIB 2 text of the value of a term, of an array or of a function.");
}

void defineSolverTerms(py::class_<SolverBox, std::shared_ptr<SolverBox>>& cls) {
    cls.def("bool_sort", [](SolverBox& s) { return wrap(s, s.use().mkBoolSort()); })
        .def("bv_sort", [](SolverBox& s, uint32_t width) { return wrap(s, s.use().mkBvSort(width)); }, py::arg("width"))
        .def("array_sort", [](SolverBox& s, const PySort& index, const PySort& element) {
            return wrap(s, s.use().mkArraySort(index.sort, element.sort));
        }, py::arg("index"), py::arg("element"))
        .def("function_sort", [](SolverBox& s, const std::vector<PySort>& domain, const PySort& codomain) {
            std::vector<torva::Sort> sorts;
            for (const PySort& d : domain) sorts.push_back(d.sort);
            return wrap(s, s.use().mkFunctionSort(sorts, codomain.sort));
        }, py::arg("domain"), py::arg("codomain"))
        .def("const_array", [](SolverBox& s, const PySort& sort, py::object value) {
            torva::Solver& solver = s.use();
            if (!sort.sort.isArray()) throw torva::Error("const_array expects an array sort, got " + sort.sort.toString());
            return wrap(s, solver.mkConstArray(sort.sort, operand(solver, value, sort.sort.getArrayElementSort())));
        }, py::arg("sort"), py::arg("value"), "The array of the sort holding value at every index.")
        .def("bool_val", [](SolverBox& s, bool value) { return wrap(s, s.use().mkBoolean(value)); }, py::arg("value"))
        .def("bv_val", [](SolverBox& s, const py::int_& value, uint32_t width) {
            return wrap(s, bvValue(s.use(), value, width));
        }, py::arg("value"), py::arg("width"))
        .def("const", [](SolverBox& s, const PySort& sort, const std::string& name) {
            return wrap(s, s.use().mkConst(sort.sort, name));
        }, py::arg("sort"), py::arg("name") = "")
        .def("bv_const", [](SolverBox& s, const std::string& name, uint32_t width) {
            torva::Solver& solver = s.use();
            return wrap(s, solver.mkConst(solver.mkBvSort(width), name));
        }, py::arg("name"), py::arg("width"))
        .def("bool_const", [](SolverBox& s, const std::string& name) {
            torva::Solver& solver = s.use();
            return wrap(s, solver.mkConst(solver.mkBoolSort(), name));
        }, py::arg("name"))
        .def("mk_term", [](SolverBox& s, torva::Kind kind, const std::vector<PyTerm>& args,
                           const std::vector<uint32_t>& indices) {
            torva::Solver& solver = s.use();
            return wrap(s, solver.mkTerm(kind, unwrapAll(args), indices));
        }, py::arg("kind"), py::arg("args"), py::arg("indices") = std::vector<uint32_t>{});
}

void defineSolverChecks(py::class_<SolverBox, std::shared_ptr<SolverBox>>& cls) {
    cls.def("add", [](SolverBox& s, const py::args& formulas) {
            for (py::handle f : formulas) s.use().assertFormula(termArgument(f));
        }, "Asserts each formula.")
        .def("assert_formula", [](SolverBox& s, const PyTerm& f) { s.use().assertFormula(f.get()); })
        .def("push", [](SolverBox& s, uint32_t n) { s.use().push(n); }, py::arg("n") = 1)
        .def("pop", [](SolverBox& s, uint32_t n) { s.use().pop(n); }, py::arg("n") = 1)
        .def("scope_level", [](SolverBox& s) { return s.use().getScopeLevel(); })
        .def("assertions", [](SolverBox& s) { return wrapAll(s, s.use().getAssertions()); })
        .def("reset_assertions", [](SolverBox& s) { s.use().resetAssertions(); })
        .def("check", [](SolverBox& s, const py::args& assumptions) {
            std::vector<torva::Term> terms;
            for (py::handle a : assumptions) terms.push_back(termArgument(a));
            return s.check(terms);
        }, "Checks the assertions under the given Boolean assumptions.")
        .def("reason_unknown", [](SolverBox& s) { return s.use().getReasonUnknown(); })
        .def("model", [](SolverBox& s) {
            s.use();
            if (!s.lastWasSat()) throw torva::Error("no model: the last check did not answer sat");
            return PyModel{s.shared_from_this(), s.checks()};
        })
        .def("value", [](SolverBox& s, const PyTerm& t) { return wrap(s, s.use().getValue(t.get())); })
        .def("value_text", [](SolverBox& s, const PyTerm& t) { return s.use().getValueString(t.get()); },
             "SMT-LIB 2 text of the value of a term, of an array or of a function.")
        .def("unsat_core", [](SolverBox& s) { return wrapAll(s, s.use().getUnsatCore()); })
        .def("unsat_assumptions", [](SolverBox& s) { return wrapAll(s, s.use().getUnsatAssumptions()); });
}

void defineSolverSettings(py::class_<SolverBox, std::shared_ptr<SolverBox>>& cls) {
    cls.def("set_option", [](SolverBox& s, const std::string& key, py::handle value) {
            s.use().setOption(key, optionText(value));
        }, py::arg("key"), py::arg("value"))
        .def("get_option", [](SolverBox& s, const std::string& key) { return s.use().getOption(key); })
        .def("set_time_limit", [](SolverBox& s, double seconds) { s.use().setTimeLimit(seconds); },
             "Wall-clock seconds for each later check; 0 for none.")
        .def("set_conflict_limit", [](SolverBox& s, uint64_t n) { s.use().setConflictLimit(n); },
             "Conflicts for each later check; 0 for none.")
        .def("set_terminate", &SolverBox::setTerminate, py::arg("callback"),
             "A callable polled during checks: a true answer (or an exception) stops the check; None for none.")
        .def("statistics", [](SolverBox& s) {
            py::dict stats;
            for (const auto& [key, value] : s.use().getStatistics()) stats[py::str(key)] = statisticValue(value);
            return stats;
        });
}

void defineSolver(py::module_& m) {
    py::class_<SolverBox, std::shared_ptr<SolverBox>> cls(m, "Solver", "A solver and the terms it owns.");
    cls.def(py::init<>());
    defineSolverTerms(cls);
    defineSolverChecks(cls);
    defineSolverSettings(cls);
}

// Functions of two operands, one of which may be a Python int.
void defineBinaryFunction(py::module_& m, const char* name, torva::Kind kind) {
    m.def(name, [kind](py::object a, py::object b) { return build(kind, {a, b}); }, py::arg("a"), py::arg("b"));
}

// Functions of one or more operands.
void defineVariadicFunction(py::module_& m, const char* name, torva::Kind kind) {
    m.def(name, [kind](const py::args& args) {
        std::vector<py::handle> objects = handles(args);
        if (objects.size() == 1) return firstTerm(objects);
        return build(kind, objects);
    });
}

PyTerm ite(py::object condition, py::object thenValue, py::object elseValue) {
    const PyTerm& first = firstTerm({condition, thenValue, elseValue});
    torva::Solver& solver = first.box->use();
    const torva::Term c = operand(solver, condition, solver.mkBoolSort());
    const PyTerm& branch = firstTerm({thenValue, elseValue});
    const torva::Sort sort = branch.get().getSort();
    return wrap(*first.box, solver.mkIte(c, operand(solver, thenValue, sort), operand(solver, elseValue, sort)));
}

PyTerm indexed(torva::Kind kind, const PyTerm& t, std::vector<uint32_t> indices) {
    return wrap(*t.box, t.box->use().mkTerm(kind, {t.get()}, indices));
}

void defineFunctions(py::module_& m) {
    using K = torva::Kind;
    const std::pair<const char*, K> variadics[] = {
        {"And", K::AND}, {"Or", K::OR}, {"Xor", K::XOR}, {"Concat", K::BV_CONCAT}};
    for (const auto& [name, kind] : variadics) defineVariadicFunction(m, name, kind);
    m.def("Not", [](const PyTerm& a) { return wrap(*a.box, a.box->use().mkNot(a.get())); });
    m.def("If", &ite, py::arg("condition"), py::arg("then"), py::arg("otherwise"));
    m.def("Select", &select, py::arg("array"), py::arg("index"));
    m.def("Store", &store, py::arg("array"), py::arg("index"), py::arg("element"));
    m.def("Extract", [](uint32_t hi, uint32_t lo, const PyTerm& t) { return indexed(K::BV_EXTRACT, t, {hi, lo}); });
    m.def("ZeroExt", [](uint32_t k, const PyTerm& t) { return indexed(K::BV_ZERO_EXTEND, t, {k}); });
    m.def("SignExt", [](uint32_t k, const PyTerm& t) { return indexed(K::BV_SIGN_EXTEND, t, {k}); });
    const std::pair<const char*, K> binaries[] = {
        {"Implies", K::IMPLIES}, {"ult", K::BV_ULT}, {"ule", K::BV_ULE}, {"ugt", K::BV_UGT}, {"uge", K::BV_UGE},
        {"slt", K::BV_SLT}, {"sle", K::BV_SLE}, {"sgt", K::BV_SGT}, {"sge", K::BV_SGE}, {"udiv", K::BV_UDIV},
        {"urem", K::BV_UREM}, {"sdiv", K::BV_SDIV}, {"srem", K::BV_SREM}, {"smod", K::BV_SMOD},
        {"lshr", K::BV_LSHR}, {"ashr", K::BV_ASHR},
    };
    for (const auto& [name, kind] : binaries) defineBinaryFunction(m, name, kind);
}

}  // namespace

PYBIND11_MODULE(torva, m) {
    m.doc() = kModuleDoc;
    py::register_exception<torva::Error>(m, "TorvaError");
    defineEnums(m);
    defineSort(m);
    defineTerm(m);
    defineModel(m);
    defineSolver(m);
    defineFunctions(m);
}
