// The exception classes: one Python class per exception class the libraries register,
// made from the class registry rather than written out, under dispc.Error.
//
// "zcUIError::InvalidUISketch" becomes dispc.zcUIError.InvalidUISketch, derived from
// dispc.zcUIError.Errors, derived from dispc.Error; a class without a holder
// ("zcBadPointer") becomes dispc.zcBadPointer. A holder that is a bound class
// (zcGraphicProps, zcGraphic) carries its exceptions as class attributes; any other
// holder is a plain class made for the purpose. Each class has `error_number`; each
// raised instance also has `message` and its str() is the library's what().
#include "common.h"

#include "zfound/exception.h"
#include "zfound/persistent.h"
#include "zfound/strings.h"

#include <map>
#include <memory>
#include <string>

namespace zc_py {
namespace {

// Registered name -> Python class. The classes live as long as the module.
std::map<std::string, py::object>& classes() {
  static auto* table = new std::map<std::string, py::object>();
  return *table;
}

py::object newException(const std::string& qualified, py::handle base, long number, const std::string& doc) {
  py::object cls = py::reinterpret_steal<py::object>(
      PyErr_NewExceptionWithDoc(("dispc." + qualified).c_str(), doc.c_str(), base.ptr(), nullptr));
  if (!cls) throw py::error_already_set();
  cls.attr("error_number") = number;
  return cls;
}

// The holder object of `holder` in the module, made when missing.
py::object holderOf(py::module_& m, const std::string& holder) {
  if (py::hasattr(m, holder.c_str())) return m.attr(holder.c_str());
  py::object type = py::reinterpret_borrow<py::object>(reinterpret_cast<PyObject*>(&PyType_Type));
  py::dict body;
  body["__doc__"] = "Holder of the " + holder + " exception classes.";
  body["__module__"] = "dispc";
  py::object made = type(holder, py::make_tuple(), body);
  m.attr(holder.c_str()) = made;
  return made;
}

void translate(std::exception_ptr p) {
  try {
    std::rethrow_exception(p);
  } catch (const zcException& e) {
    const char* name = zc_Instantiator::nameOf(e);
    auto found = name ? classes().find(name) : classes().end();
    py::object cls = found != classes().end() ? found->second : classes().at("");
    py::object instance = cls(e.what());
    instance.attr("error_number") = e.errorNumber();
    instance.attr("message") = zfConvertString(e.message());
    PyErr_SetObject(cls.ptr(), instance.ptr());
  }
}

}  // namespace

void bindErrors(py::module_& m) {
  py::object root = newException("Error", PyExc_Exception, 0,
                                 "Root of every exception the library raises; error_number and message on each.");
  m.attr("Error") = root;
  classes()[""] = root;
  for (const std::string& name : zc_Instantiator::names()) {
    std::unique_ptr<zcPersistent> made(zc_Instantiator::create(name));
    const auto* e = dynamic_cast<const zcException*>(made.get());
    if (!e) continue;
    const std::size_t cut = name.rfind("::");
    const std::string leaf = cut == std::string::npos ? name : name.substr(cut + 2);
    py::object owner = m;
    py::object base = root;
    if (cut != std::string::npos) {
      const std::string holder = name.substr(0, cut);
      owner = holderOf(m, holder);
      if (!py::hasattr(owner, "Errors"))
        owner.attr("Errors") = newException(holder + ".Errors", root, 0, "Every failure of " + holder + ".");
      base = owner.attr("Errors");
    }
    const std::string dotted = cut == std::string::npos ? name : name.substr(0, cut) + "." + leaf;
    py::object cls = newException(dotted, base, e->errorNumber(), "The library's " + name + ".");
    owner.attr(leaf.c_str()) = cls;
    classes()[name] = cls;
  }
  py::register_exception_translator(&translate);
}

}  // namespace zc_py
