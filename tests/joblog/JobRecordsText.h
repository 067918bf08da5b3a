// Records written out field by field, so that tests compare whole records and a failure
// shows every field of both.
#pragma once

#include "formats/joblog/JobDetail.h"
#include "formats/joblog/JobRecords.h"

#include <string>

inline std::string Describe(const JobSummary& s)
{
    return "name=" + s.strJobName + " id=" + s.strJobId + " result=" + std::to_string(s.nResult) +
           " errors=" + std::to_string(s.nErrorCount) +
           " suspends=" + std::to_string(s.nSuspendCount) + " start=" + s.strStartTime +
           " end=" + s.strEndTime + " requested=" + std::to_string(s.nRequestedMails) +
           " created=" + std::to_string(s.nCreatedMails) +
           " samples=" + std::to_string(s.nSampleMails) +
           " recreated=" + std::to_string(s.nRecreatedMails) + " trays=" + s.strTray1 + "|" +
           s.strTray2 + "|" + s.strTray3 + "|" + s.strTray4 +
           " started=" + std::to_string(s.nStartedMails);
}

inline std::string Describe(const MailRecord& m)
{
    return "no=" + std::to_string(m.nMailNo) + " kind=" + std::to_string(m.nKind) + " progress='" +
           m.strProgress + "' stacked=" + std::to_string(m.nStacked) +
           " expected=" + std::to_string(m.nExpected) + " state=" + std::to_string(m.nState) +
           " start=" + m.strStartTime + " end=" + m.strEndTime + " error=" + m.strErrorNo +
           " envelope=" + std::to_string(m.bEnvelope);
}

inline std::string Describe(const SheetRecord& s)
{
    return "sheet=" + std::to_string(s.nSheetNo) + " tray=" + std::to_string(s.nTray) +
           " state=" + std::to_string(s.nState) + " time=" + s.strTime +
           " front=" + std::to_string(s.nFrontPage) + " back=" + std::to_string(s.nBackPage) +
           " error=" + s.strErrorNo;
}

// A detail with its sheets, one per line.
inline std::string Describe(const JobDetail& d)
{
    std::string text = "detail no=" + std::to_string(d.nMailNo) + " progress='" + d.strProgress +
                       "' expected=" + std::to_string(d.nExpected) + "\n";
    if (d.pSheets) {
        for (const SheetRecord& sheet : *d.pSheets) {
            text += "  " + Describe(sheet) + "\n";
        }
    }
    return text;
}
