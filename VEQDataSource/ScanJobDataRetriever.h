// Reads the data of one scanned job (or one page of it) in a chosen format,
// chunk by chunk, into memory: call GetData until it returns false.
#pragma once

#include <vector>

#include "VEQDataSourceExport.h"
#include "VEQTypes.h"

class VEQDATASOURCE_API ScanJobDataRetriever {
public:
    explicit ScanJobDataRetriever(const VEQTypes::ScanRetriveAttribute& attributes);
    virtual ~ScanJobDataRetriever();
    ScanJobDataRetriever(const ScanJobDataRetriever&) = delete;
    ScanJobDataRetriever& operator=(const ScanJobDataRetriever&) = delete;

    // The next chunk in data (its first length bytes); true while a chunk of at
    // least one byte was delivered, false at the end, on an error or when the
    // request cannot be served.
    virtual bool GetData(std::vector<char>& data, int& length) = 0;

    const VEQTypes::ScanRetriveAttribute& GetAttributes() const { return m_attributes; }

protected:
    VEQTypes::ScanRetriveAttribute m_attributes;
};
