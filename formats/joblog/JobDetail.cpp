#include "formats/joblog/JobDetail.h"

JobDetail::~JobDetail()
{
    FreeSheets();
}

void JobDetail::FreeSheets()
{
    pSheets.reset();
}
