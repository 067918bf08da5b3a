#include "setup/CSetupApp.h"

int main(int argc, char** argv)
{
    CSetupApp app(argc, argv);
    return app.Run();
}
