#include "platform/user/startup.h"

int main(int argc, char** argv) { return RunTavorinApplication(argc, argv); }
