// The details of one mail number: its progress and every sheet entry of all its attempts.
#pragma once

#include "formats/joblog/JobRecords.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class JobDetail
{
public:
    JobDetail() = default;
    // Deletes the sheets first (FreeSheets).
    virtual ~JobDetail();
    JobDetail(const JobDetail&) = delete;
    JobDetail& operator=(const JobDetail&) = delete;

    // Deletes every sheet and the sheet vector; pSheets is null afterwards.
    void FreeSheets();

    std::uint32_t nMailNo = 0;
    std::string strProgress;     // the mail's progress at its last finish; empty until then
    std::int32_t nExpected = -1; // letter sheets of the number's first start
    std::unique_ptr<SheetList> pSheets;
};

using DetailList = std::vector<std::unique_ptr<JobDetail>>;
