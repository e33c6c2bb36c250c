// Parts and physical design: physical representations and layouts, parts
// with their pins and pin mappings, part instances with their pin instances;
// stack-ups with layers and regions, pad stacks with pads, packages with
// their pins.
//
// As everywhere, a Create sets the new child's back-pointer to its owner and
// nothing else; references between objects are kept in step by the caller.
#ifndef TAVRIN_PHYSICAL_H
#define TAVRIN_PHYSICAL_H

#include <cstdint>

#include "tavrin/connect.h"
#include "tavrin/containers.h"
#include "tavrin/core.h"
#include "tavrin/design.h"
#include "tavrin/export.h"

// ---- physical representations, layouts, parts, pin mappings, part instances

// (end of physical representations, layouts, parts, pin mappings, part instances)
//
// Everything below concerns the board's physical build-up: the layers a
// layout stacks, the regions on them, and the library pad stacks and
// packages that parts refer to.
//
// ---- stack-ups, layers, regions, pad stacks, pads, packages, package pins

// (end of stack-ups, layers, regions, pad stacks, pads, packages, package pins)

#endif
