#include "ui/main/ini_file.h"

#include <sys/stat.h>

#include <cstdio>

#include "platform/decimal_text.h"

CIniFile::Section* CIniFile::FindSection(const std::string& name) {
    auto it = m_sectionIndex.find(name);
    return it == m_sectionIndex.end() ? nullptr : &m_sections[it->second];
}

CIniFile::Section& CIniFile::AddSection(const std::string& name) {
    m_sectionIndex.emplace(name, m_sections.size());
    m_sections.push_back({name, {}, {}, {}});
    return m_sections.back();
}

bool CIniFile::ReadFile() {
    struct stat info {};
    if (::stat(m_path.c_str(), &info) != 0) return false;
    FILE* file = S_ISREG(info.st_mode) ? std::fopen(m_path.c_str(), "r") : nullptr;
    if (!file) {
        m_error = "Unable to open ini file.";
        return false;
    }
    std::string section;
    char buffer[kMaxLine + 1];
    while (std::fgets(buffer, sizeof(buffer), file)) {
        std::string line(buffer);
        if (!line.empty() && line.back() == '\n') line.pop_back();
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (line.front() == '[' && line.back() == ']') {
            size_t first = line.find_first_not_of('[');
            size_t last = line.find_last_not_of(']');
            section = first == std::string::npos || last == std::string::npos || last < first
                          ? std::string()
                          : line.substr(first, last - first + 1);
            continue;
        }
        size_t equals = line.find('=');
        if (equals == std::string::npos)
            SetValue(section, std::string(), line.substr(1), true);
        else
            SetValue(section, line.substr(0, equals), line.substr(equals + 1), true);
    }
    std::fclose(file);
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
    Section* found = FindSection(section);
    if (!found) {
        m_error = "Unable to locate specified key.";
        return std::string();
    }
    auto it = found->keyIndex.find(key);
    if (it == found->keyIndex.end()) {
        m_error = "Unable to locate specified value.";
        return std::string();
    }
    return found->values[it->second];
}

int CIniFile::GetValueI(const std::string& section, const std::string& key) {
    return DecimalTextToInt(GetValue(section, key));
}

bool CIniFile::SetValue(const std::string& section, const std::string& key,
                        const std::string& value, bool create) {
    Section* found = FindSection(section);
    if (!found) {
        if (!create) return false;
        found = &AddSection(section);
    }
    auto it = found->keyIndex.find(key);
    if (it == found->keyIndex.end()) {
        if (!create) return false;
        found->keyIndex.emplace(key, found->keys.size());
        found->keys.push_back(key);
        found->values.push_back(value);
    } else {
        found->values[it->second] = value;
    }
    return true;
}

bool CIniFile::SetValueI(const std::string& section, const std::string& key, int value,
                         bool create) {
    return SetValue(section, key, std::to_string(value), create);
}
