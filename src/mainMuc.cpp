#include "muc.h"

int main() { return mucMain(); }
