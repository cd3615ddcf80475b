// arkseal-cli's main: everything happens in RunCli.
#include <arkseal/cli/cli_program.h>

int main(int argc, char** argv) { return arkseal::RunCli(argc, argv); }
