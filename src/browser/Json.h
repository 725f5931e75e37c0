#pragma once
// The little JSON the page reads its results from. Texts from the core are bytes: a line that is
// UTF-8 throughout is kept as it is, any other is taken as ISO 8859-1, as the extra formats take
// a name, so that every text arrives whole and the page never has to guess.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvane::browser {

class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view key);
    JsonWriter& String(std::string_view bytes);
    JsonWriter& Number(std::int64_t value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();
    const std::string& Text() const { return out_; }

private:
    void BeforeValue();
    std::string out_;
    std::vector<bool> first_;  // per open object or array: no member yet
    bool afterKey_ = false;
};

// The bytes as UTF-8, line by line as above; CR and LF stay where they are.
std::string ShownText(std::string_view bytes);

}  // namespace morvane::browser
