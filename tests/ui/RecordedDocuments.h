#pragma once

#include "app/OpenDocument.h"

#include <string>
#include <utility>
#include <vector>

/// Records the documents and web addresses the program asks the desktop to open, instead
/// of opening them.
class RecordedDocuments
{
public:
    RecordedDocuments()
    {
        m_previous =
            SetDocumentOpener([this](const std::string& target) { m_opened.push_back(target); });
    }
    ~RecordedDocuments() { SetDocumentOpener(std::move(m_previous)); }
    RecordedDocuments(const RecordedDocuments&) = delete;
    RecordedDocuments& operator=(const RecordedDocuments&) = delete;

    const std::vector<std::string>& Opened() const { return m_opened; }

private:
    std::vector<std::string> m_opened;
    DocumentOpener m_previous;
};
