"""Writes the package's type stubs (dispc/__init__.pyi) from the built module's own
signatures, so that they follow the bindings:

    PYTHONPATH=build/debug/python python3 -P python/make_stubs.py python/dispc/__init__.pyi
"""
import inspect
import re
import sys

import dispc
from dispc import _dispc

SIGNATURE = re.compile(r"^(?:\d+\. )?(\w+)\((.*)\) -> (.+)$")


def clean(text):
    text = text.replace("dispc._dispc.", "").replace("numpy.ndarray", "numpy.ndarray")
    text = re.sub(r"\bhandle\b", "object", text)
    text = re.sub(r"<(\w+)\.(\w+): \d+>", r"\1.\2", text)
    return re.sub(r"= <[^>]*>", "= ...", text).replace("Layers.e", "Layers.e")


def signatures(obj):
    lines = (obj.__doc__ or "").splitlines()
    return [m for m in (SIGNATURE.match(line.strip()) for line in lines) if m]


def function(name, obj, indent, method):
    found = signatures(obj)
    out = []
    for m in found:
        params = clean(m.group(2))
        if method and params.startswith("self"):
            params = "self" + params[params.find(",") if "," in params else len(params):]
        deco = f"{indent}@overload\n" if len(found) > 1 else ""
        static = f"{indent}@staticmethod\n" if method and not m.group(2).startswith("self") else ""
        out.append(f"{deco}{static}{indent}def {name}({params}) -> {clean(m.group(3))}: ...")
    return out


def klass(name, cls, indent=""):
    bases = [b.__name__ for b in cls.__bases__ if b.__module__.startswith("dispc") and b.__name__ != "pybind11_object"]
    if issubclass(cls, BaseException):
        bases = [b.__name__ if b is not dispc.Error else "Error" for b in cls.__bases__]
        lines = [f"{indent}class {name}({', '.join(bases)}):", f"{indent}    error_number: int", f"{indent}    message: str"]
        return lines
    lines = [f"{indent}class {name}({', '.join(bases)}):" if bases else f"{indent}class {name}:"]
    if cls.__doc__ and not signatures(cls):
        lines.append(f'{indent}    """{cls.__doc__.strip().splitlines()[0]}"""')
    for attr, value in sorted(vars(cls).items()):
        if attr.startswith("__") and attr not in ("__init__", "__len__", "__getitem__", "__iter__", "__bytes__",
                                                  "__add__", "__iadd__", "__eq__", "__ne__", "__mul__", "__repr__"):
            continue
        if isinstance(value, type):
            lines += klass(attr, value, indent + "    ")
        elif isinstance(value, property):
            lines.append(f"{indent}    {attr}: Any")
        elif isinstance(value, staticmethod) or callable(value) and signatures(value):
            lines += function(attr, getattr(cls, attr), indent + "    ", True)
        elif not attr.startswith("_") and attr.isidentifier() and attr not in ("pass",):
            lines.append(f"{indent}    {attr}: {type(value).__name__}")
    return lines if len(lines) > 1 else lines + [f"{indent}    ..."]


def main(path):
    out = ['"""Type stubs of the dispc package, written by python/make_stubs.py."""',
           "from typing import Any, overload", "import numpy", ""]
    out += klass("Error", dispc.Error)
    for name, value in sorted(vars(_dispc).items()):
        if name.startswith("_") or name == "Error":
            continue
        if isinstance(value, type):
            out += klass(name, value)
        elif callable(value):
            out += function(name, value, "", False)
        else:
            out.append(f"{name}: {type(value).__name__}")
    with open(path, "w") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
