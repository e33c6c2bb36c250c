// Symbol export for the tavrin shared library. Everything is hidden by
// default; the classes and functions callers may use carry TAVRIN_API.
#ifndef TAVRIN_EXPORT_H
#define TAVRIN_EXPORT_H

#define TAVRIN_API __attribute__((visibility("default")))
// Private helpers of exported classes: defined in the library, called only
// from within it, so they stay out of the exported symbols.
#define TAVRIN_LOCAL __attribute__((visibility("hidden")))

#endif
