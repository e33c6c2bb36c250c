// The whole tavrin interface: #include <tavrin/tavrin.h> and link -ltavrin50.
#ifndef TAVRIN_TAVRIN_H
#define TAVRIN_TAVRIN_H

#include "tavrin/version.h"
#include "tavrin/platform.h"
#include "tavrin/containers.h"
#include "tavrin/core.h"
#include "tavrin/persist.h"
#include "tavrin/design.h"
#include "tavrin/connect.h"
#include "tavrin/physical.h"
#include "tavrin/props.h"
#include "tavrin/xref.h"

#endif
