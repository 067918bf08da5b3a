// Small text helpers shared by the reader, the document and the filter dialogs.
#pragma once

#include <memory>
#include <string>
#include <vector>

// Destroys the strings and the vector; `strings` is empty (null) afterwards.
void DeleteStringVector(std::unique_ptr<std::vector<std::string>>& strings);
