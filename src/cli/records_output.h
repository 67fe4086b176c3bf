#pragma once

#include <nlohmann/json.hpp>
#include <span>
#include <string>

namespace brindle::cli {

// A reply's records as the shape declared for its subject reads them, every field under its
// declared name and in wire order: {"subject", "result_code", "message", "header", "records": [{
// "record": kind, ...fields}]}. A subject with no declared shape gives the Result code and message.
nlohmann::ordered_json records_json(int subject, std::span<const std::string> gbk_lines);

}  // namespace brindle::cli
