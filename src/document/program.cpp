#include "document/program.h"

#include <cstdint>
#include <cstdlib>

#include "platform/ascii.h"
#include "platform/numbers.h"

namespace {

OleDate DateFromText(const std::string& text) {
    OleDate date = 0;
    return ParseOleDate(text, date) ? date : 0;
}

}  // namespace

Program::Slot* Program::Find(ProgramKey id) {
    const KeyDescriptor* row = FindKey(id);
    return row == nullptr ? nullptr : &values[static_cast<std::size_t>(row - kKeyTable.data())];
}

const Program::Slot* Program::Find(ProgramKey id) const {
    const KeyDescriptor* row = FindKey(id);
    return row == nullptr ? nullptr : &values[static_cast<std::size_t>(row - kKeyTable.data())];
}

int Program::GetInt(ProgramKey id) const {
    const Slot* slot = Find(id);
    return slot == nullptr ? 0 : slot->number;
}

bool Program::GetBool(ProgramKey id) const {
    return GetInt(id) != 0;
}

OleDate Program::GetDate(ProgramKey id) const {
    const Slot* slot = Find(id);
    return slot == nullptr ? 0 : slot->date;
}

std::string Program::GetText(ProgramKey id) const {
    const KeyDescriptor* row = FindKey(id);
    if (row == nullptr) {
        return {};
    }
    const Slot& slot = values[static_cast<std::size_t>(row - kKeyTable.data())];
    switch (row->type) {
        case KeyType::Date:
            return slot.date == 0 ? "Never" : FormatOleDate(slot.date);
        case KeyType::String:
            return slot.text.value_or(std::string());
        case KeyType::Bool:
            return slot.number != 0 ? "Yes" : "No";
        case KeyType::Int:
            return std::to_string(slot.number);
    }
    return {};
}

bool Program::SetString(ProgramKey id, const std::string& text) {
    Slot* slot = Find(id);
    if (slot == nullptr) {
        return false;
    }
    if (slot->text && *slot->text == text) {
        return true;
    }
    slot->text = text;
    modified = CurrentOleDate();
    return true;
}

bool Program::SetInt(ProgramKey id, int value) {
    Slot* slot = Find(id);
    if (slot == nullptr) {
        return false;
    }
    if (slot->number != value) {
        slot->number = value;
        modified = CurrentOleDate();
    }
    return true;
}

bool Program::SetDate(ProgramKey id, OleDate date) {
    Slot* slot = Find(id);
    if (slot == nullptr) {
        return false;
    }
    if (slot->date != date) {
        slot->date = date;
        modified = CurrentOleDate();
    }
    return true;
}

bool Program::SetFromText(ProgramKey id, const std::string& text) {
    const KeyDescriptor* row = FindKey(id);
    if (row == nullptr) {
        return false;
    }
    Slot& slot = values[static_cast<std::size_t>(row - kKeyTable.data())];
    switch (row->type) {
        case KeyType::Date:
            slot.date = DateFromText(text);
            return true;
        case KeyType::String:
            slot.text = text;
            return true;
        case KeyType::Bool:
            slot.number = EqualsIgnoringCase(text, "yes") ? 1 : 0;
            return true;
        case KeyType::Int:
            slot.number = ParseLeadingInt(text);
            return true;
    }
    return false;
}

bool Program::SetText(ProgramKey id, const std::string& text) {
    const KeyDescriptor* row = FindKey(id);
    if (row == nullptr) {
        return false;
    }
    switch (row->type) {
        case KeyType::Date:
            return SetDate(id, DateFromText(text));
        case KeyType::String:
            return SetString(id, text);
        case KeyType::Bool:
            return SetInt(id, EqualsIgnoringCase(text, "yes") ? 1 : 0);
        case KeyType::Int:
            return SetInt(id, ParseLeadingInt(text));
    }
    return false;
}

void Program::Clear() {
    values.fill(Slot{});
    for (const KeyDescriptor& row : kKeyTable) {
        if (row.optional) {
            SetFromText(row.id, std::string(row.standard));
        }
    }
}

bool Program::AtStandard(const KeyDescriptor& row) const {
    return row.optional && GetText(row.id) == row.standard;
}

void Program::ApplyDefaults() {
    Clear();
    SetInt(ProgramKey::GenerateIndexPage, 1);
    SetInt(ProgramKey::IndexGenerateMultiplePages, 1);
    SetInt(ProgramKey::GenerateContentPages, 1);
    SetInt(ProgramKey::GenerateThumbnails, 1);
    SetInt(ProgramKey::ThumbnailSize, 120);
    SetInt(ProgramKey::IndexThumbnailsAcross, 3);
    SetString(ProgramKey::IndexPageTitle, "Files from %P");
    SetString(ProgramKey::ContentPageTitle, "%F");
    SetInt(ProgramKey::IndexThumbnailsDown, 3);
    SetInt(ProgramKey::IndexLabelThumbnails, 1);
    SetInt(ProgramKey::IndexThumbnailLabelType, 0);
    SetInt(ProgramKey::SmartThumbnailGeneration, 1);
    SetInt(ProgramKey::ContentShowLinkBegin, 0);
    SetInt(ProgramKey::ContentShowLinkEnd, 0);
    SetInt(ProgramKey::ContentShowLinkIndex, 1);
    SetInt(ProgramKey::ContentShowLinkNext, 1);
    SetInt(ProgramKey::ContentShowLinkPrev, 1);
    SetInt(ProgramKey::HtmlBackgroundStyle, -1);
}

void Program::Describe(std::string& text) const {
    text.clear();
    int previousSection = -1;
    for (const KeyDescriptor& row : kKeyTable) {
        if (AtStandard(row)) {
            continue;  // nor does its heading come alone
        }
        if (row.section != previousSection) {
            if (!text.empty()) {
                text += "\r\n";
            }
            text += kSectionNames[static_cast<std::size_t>(row.section)];
            text += "\r\n";
            previousSection = row.section;
        }
        if (row.listed) {
            text += "   ";
            text += row.name;
            text += ": ";
            text += GetText(row.id);
            text += "\r\n";
        }
    }
}

bool Program::HasBeenGenerated() const {
    return GetDate(ProgramKey::LastGenerated) != 0;
}

bool Program::EditedSinceGenerated() const {
    return modified > GetDate(ProgramKey::LastGenerated);
}
