// Restores FILE and saves it as OUT: the lists of OUT are those of FILE
// reversed, for `tavrin diff` to find the graphs equal.
#include <tavrin/tavrin.h>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  SSession* session = AllocSession();
  int ok = session->Restore(argv[1]) && session->Save(argv[2]);
  delete session;
  return ok ? 0 : 1;
}
