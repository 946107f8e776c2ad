// The program's entry: the framework starts the application object with the program's
// resources.
#include "app/CReadingApp.h"
#include "res/Resources.h"

int main(int argc, char* argv[])
{
    return AfxWinMain(argc, argv, ProgramResources());
}
