#include <cstdio>

int main() {
  std::puts("led2vqn " LED2VQN_VERSION);
  return 0;
}
