/* Registration: the module "Quendrilax", its two functions and its error
 * class, which is not entered in the module's namespace. */
#include "module/quendrilax.h"

PyObject *pyError = NULL;
int runActive = 0;

static PyMethodDef PyMethods[] = {
    {"export", (PyCFunction)pyExport, METH_VARARGS, NULL},
    {"getViewNoteIds", (PyCFunction)pyGetViewIds, METH_VARARGS, NULL},
    {NULL, NULL, 0, NULL},
};

static struct PyModuleDef quendrilaxModule = {
    PyModuleDef_HEAD_INIT, "Quendrilax", NULL, -1, PyMethods, NULL, NULL, NULL, NULL,
};

extern "C" __attribute__((visibility("default"))) PyObject *PyInit_Quendrilax(void) {
  PyObject *module = PyModule_Create(&quendrilaxModule);
  pyError = PyErr_NewException("Quendrilax.error", NULL, NULL);
  if (PyErr_Occurred()) Py_FatalError("can't initialize module Quendrilax");
  return module;
}
