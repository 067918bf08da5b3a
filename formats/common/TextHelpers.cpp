#include "formats/common/TextHelpers.h"

void DeleteStringVector(std::unique_ptr<std::vector<std::string>>& strings)
{
    strings.reset();
}
