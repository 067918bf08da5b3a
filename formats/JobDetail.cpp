#include "formats/JobDetail.h"

JobDetail::~JobDetail()
{
    FreeSheets();
}

void JobDetail::FreeSheets()
{
    pSheets.reset();
}
