// The program's main: everything happens in the application object, which
// the program defined as a static object before main runs.
#include <arkseal/ui/qt/run_application.h>

int main(int argc, char** argv) { return arkseal::RunApplication(argc, argv); }
