#include "viewer/CPYRNApp.h"

#include "formats/archive/CZipFile.h"

CPYRNApp theApp;

CPYRNApp::CPYRNApp() = default;
CPYRNApp::~CPYRNApp() = default;

bool CPYRNApp::InitInstance()
{
    return false;
}

int CPYRNApp::ExitInstance()
{
    return 0;
}
