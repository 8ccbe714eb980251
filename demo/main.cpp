// vexel: the program's entry point; the demonstration ignores its arguments.
#include "vexel.hpp"

int main() {
  return vexel::VEXEL_MAIN();
}
