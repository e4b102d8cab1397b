#include "app/run_main.h"

int main() { return zandrel::runMain(); }
