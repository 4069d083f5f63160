#include "ui/main/ini_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

#include "platform/decimal_text.h"

size_t CIniFile::FindSection(std::string_view name) const {
    auto it = m_sectionIndex.find(name);
    return it == m_sectionIndex.end() ? kNone : it->second;
}

size_t CIniFile::AddSection(std::string_view name) {
    m_sectionIndex.emplace(std::string(name), m_sections.size());
    m_sections.push_back({std::string(name), {}, {}, nullptr});
    return m_sections.size() - 1;
}

size_t CIniFile::FindKey(Section& section, std::string_view key) {
    if (!section.keyIndex) {
        if (section.keys.size() <= kUnindexedKeys) {
            for (size_t i = 0; i < section.keys.size(); ++i)
                if (section.keys[i] == key) return i;
            return kNone;
        }
        section.keyIndex = std::make_unique<TextIndex>();
        for (size_t i = 0; i < section.keys.size(); ++i)
            section.keyIndex->emplace(section.keys[i], i);
    }
    auto it = section.keyIndex->find(key);
    return it == section.keyIndex->end() ? kNone : it->second;
}

void CIniFile::AddKey(Section& section, std::string_view key, std::string_view value) {
    if (section.keyIndex) section.keyIndex->emplace(std::string(key), section.keys.size());
    section.keys.emplace_back(key);
    section.values.emplace_back(value);
}

bool CIniFile::ReadFile() {
    struct stat info {};
    if (::stat(m_path.c_str(), &info) != 0) return false;
    FILE* file = S_ISREG(info.st_mode) ? std::fopen(m_path.c_str(), "r") : nullptr;
    if (!file) {
        m_error = "Unable to open ini file.";
        return false;
    }
    std::string content;
    char chunk[1 << 16];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        content.append(chunk, got);
    std::fclose(file);

    std::string_view sectionName;  // entries before the first header: the empty name
    size_t section = kNone;        // its index, found when its first entry comes
    for (size_t pos = 0; pos < content.size();) {
        // A line is read up to its line break or kMaxLine bytes, whichever comes first.
        const size_t lineBreak = content.find('\n', pos);
        size_t end = lineBreak == std::string::npos ? content.size() : lineBreak + 1;
        end = std::min(end, pos + kMaxLine);
        std::string_view line(content.data() + pos, end - pos);
        pos = end;
        line = line.substr(0, line.find('\0'));
        if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        if (line.front() == '[' && line.back() == ']') {
            const size_t first = line.find_first_not_of('[');
            const size_t last = line.find_last_not_of(']');
            sectionName =
                first == std::string_view::npos || last == std::string_view::npos || last < first
                    ? std::string_view()
                    : line.substr(first, last - first + 1);
            section = kNone;
            continue;
        }
        const size_t equals = line.find('=');
        const std::string_view key =
            equals == std::string_view::npos ? std::string_view() : line.substr(0, equals);
        const std::string_view value =
            equals == std::string_view::npos ? line.substr(1) : line.substr(equals + 1);
        if (section == kNone) {
            section = FindSection(sectionName);
            if (section == kNone) section = AddSection(sectionName);
        }
        Section& into = m_sections[section];
        const size_t index = FindKey(into, key);
        if (index == kNone)
            AddKey(into, key, value);
        else
            into.values[index].assign(value);
    }
    return true;
}

void CIniFile::WriteFile() const {
    FILE* file = std::fopen(m_path.c_str(), "w");
    if (!file) return;
    for (const Section& section : m_sections) {
        if (section.keys.empty()) continue;
        std::fprintf(file, "[%s]\n", section.name.c_str());
        for (size_t i = 0; i < section.keys.size(); ++i)
            std::fprintf(file, "%s=%s\n", section.keys[i].c_str(), section.values[i].c_str());
        std::fputs("\n", file);
    }
    std::fclose(file);
}

std::string CIniFile::GetValue(const std::string& section, const std::string& key) {
    const size_t found = FindSection(section);
    if (found == kNone) {
        m_error = "Unable to locate specified key.";
        return std::string();
    }
    const size_t index = FindKey(m_sections[found], key);
    if (index == kNone) {
        m_error = "Unable to locate specified value.";
        return std::string();
    }
    return m_sections[found].values[index];
}

int CIniFile::GetValueI(const std::string& section, const std::string& key) {
    return DecimalTextToInt(GetValue(section, key));
}

bool CIniFile::SetValue(const std::string& section, const std::string& key,
                        const std::string& value, bool create) {
    size_t found = FindSection(section);
    if (found == kNone) {
        if (!create) return false;
        found = AddSection(section);
    }
    Section& into = m_sections[found];
    const size_t index = FindKey(into, key);
    if (index == kNone) {
        if (!create) return false;
        AddKey(into, key, value);
    } else {
        into.values[index] = value;
    }
    return true;
}

bool CIniFile::SetValueI(const std::string& section, const std::string& key, int value,
                         bool create) {
    return SetValue(section, key, std::to_string(value), create);
}
