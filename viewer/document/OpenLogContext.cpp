#include "viewer/document/OpenLogContext.h"

#include "formats/joblog/JobLogFile.h"
#include "formats/pagestream/CDornComFile.h"

OpenLogContext::OpenLogContext() = default;
OpenLogContext::~OpenLogContext() = default;
