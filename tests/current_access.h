// Sets the process-wide current server and visitor, for tests and the fuzz
// target (the setters are reserved to these befriended classes).
#ifndef TAVRIN_TESTS_CURRENT_ACCESS_H
#define TAVRIN_TESTS_CURRENT_ACCESS_H

#include <tavrin/core.h>

class ServerTestAccess {
 public:
  static void SetCurrent(GTavrinServer* s) { GTavrinServer::SetCurrent(s); }
};
class VisitorTestAccess {
 public:
  static void SetCurrent(GVisitor* v) { GVisitor::SetCurrent(v); }
};

#endif
