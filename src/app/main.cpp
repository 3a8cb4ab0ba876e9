#include "app/cpdf_rotate.h"

int main(int argc, char** argv) {
  return RunQuillturn(argc, argv);
}
