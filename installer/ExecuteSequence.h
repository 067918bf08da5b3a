// The installation's execute sequence run action by action, after a check that refuses, before
// anything changes, every table, action and value kind this installer does not carry out.
#pragma once

#include "installer/Session.h"

#include <string>
#include <vector>

namespace installer {

struct SequencedAction
{
    std::string action;
    std::string condition;
    int sequence = 0;
};

// The InstallExecuteSequence's actions with a positive number, in order.
std::vector<SequencedAction> ExecuteSequenceOf(const msitransform::MsiDatabase& database);

// True for a standard action that this installer carries out (or knows needs no work).
bool IsStandardAction(std::string_view action);

// Runs the sequence for the session's mode: 0, 1602 when the user cancelled, 1603 on failure
// (the installation undone).
int RunExecuteSequence(Session& session);

} // namespace installer
