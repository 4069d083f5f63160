// A small settings file of sections and key=value lines, read whole into memory and written
// whole back. Names are compared byte for byte; the first match wins.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CIniFile {
public:
    void SetPath(const std::string& path) { m_path = path; }
    const std::string& GetPath() const { return m_path; }

    // Reads the file into memory; what is already there stays, values of keys met again are
    // replaced. False when there is no file or it cannot be opened.
    bool ReadFile();
    // Replaces the file with the content; sections without keys are left out. A file that
    // cannot be written is not reported.
    void WriteFile() const;

    // The stored value; empty (and the error text set) when the section or key is missing.
    std::string GetValue(const std::string& section, const std::string& key);
    // GetValue read as a decimal integer; 0 when it holds none.
    int GetValueI(const std::string& section, const std::string& key);
    // Stores the value; a missing section or key is added only with create.
    bool SetValue(const std::string& section, const std::string& key, const std::string& value,
                  bool create = true);
    bool SetValueI(const std::string& section, const std::string& key, int value,
                   bool create = true);

    const std::string& GetErrorText() const { return m_error; }

    static constexpr size_t kMaxLine = 2047;  // longer lines are cut and read on

private:
    // Texts hashed and compared as string views, so lookups need no copies.
    struct TextHash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>()(text);
        }
    };
    using TextIndex = std::unordered_map<std::string, size_t, TextHash, std::equal_to<>>;

    // Keys and values in first-met order; a section of more than a few keys also has an
    // index of its keys.
    struct Section {
        std::string name;
        std::vector<std::string> keys;
        std::vector<std::string> values;
        std::unique_ptr<TextIndex> keyIndex;  // null while the section has few keys
    };
    static constexpr size_t kUnindexedKeys = 8;
    static constexpr size_t kNone = static_cast<size_t>(-1);

    size_t FindSection(std::string_view name) const;
    size_t AddSection(std::string_view name);
    static size_t FindKey(Section& section, std::string_view key);
    static void AddKey(Section& section, std::string_view key, std::string_view value);

    std::string m_path;
    std::vector<Section> m_sections;  // in first-met order
    TextIndex m_sectionIndex;
    std::string m_error;
};
