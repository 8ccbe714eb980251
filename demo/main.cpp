// vexel: the program's entry point; the demonstration ignores its arguments.
#include <cstdlib>

#include "vexel.hpp"

int main() {
  // through exit(), not a return: where the platform resumes main after the loop has handed the
  // thread to it (the browser), a value returned from main would reach nobody
  std::exit(vexel::VEXEL_MAIN());
}
