#include "installer/MsiexecCommand.h"

#include "installer/ProductStore.h"
#include "installer/TextHelpers.h"

namespace installer {

std::variant<MsiexecCommand, std::string>
MsiexecCommand::Parse(const std::vector<std::string>& arguments)
{
    MsiexecCommand command;
    bool target = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool option = argument.size() > 1 && (argument[0] == '/' || argument[0] == '-');
        const std::string name = option ? UpperCase(argument.substr(1)) : std::string();
        const std::size_t equals = argument.find('=');
        if (option && (name == "I" || name.starts_with("I{")) && !target) {
            std::string what = argument.substr(2);
            if (what.empty() && i + 1 < arguments.size()) {
                what = arguments[++i];
            }
            if (what.empty()) {
                return std::string("/i names no package or product");
            }
            if (what.starts_with('{')) {
                command.productCode = UpperCase(what);
                if (!IsProductCode(command.productCode)) {
                    return "\"" + what + "\" is not a product code";
                }
            } else {
                command.package = what;
            }
            target = true;
        } else if (option && name == "NORESTART") {
        } else if (option && (name == "Q" || name == "QN")) {
            command.quiet = true;
        } else if (!option && equals != std::string::npos) {
            const std::string property = UpperCase(argument.substr(0, equals));
            const std::string value = argument.substr(equals + 1);
            if (property == "TRANSFORMS" && !value.empty() &&
                value.find_first_of(":@|") == std::string::npos) {
                command.transforms = SplitList(value);
            } else if (property == "REMOVE" && UpperCase(value) == "ALL") {
                command.request = MaintenanceRequest::Remove;
            } else if (property == "REINSTALL" && UpperCase(value) == "ALL") {
                command.request = MaintenanceRequest::Repair;
            } else {
                return "the property setting \"" + argument + "\" is not supported";
            }
        } else {
            return "the argument \"" + argument + "\" is not supported";
        }
    }
    if (!target) {
        return std::string("no /i names a package or product");
    }
    if (!command.productCode.empty() && !command.transforms.empty()) {
        return std::string("an installed product takes no transforms");
    }
    return command;
}

} // namespace installer
