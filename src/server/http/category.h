#pragma once

#include <optional>
#include <string_view>

namespace brindle::server {

// The four request categories, numbered as the client numbers them; the query string of the
// endpoint names one.
enum class RequestCategory { acquire = 1, update = 2, trans = 3, query = 4 };

// The category the client files a SubjectID under; none for a SubjectID outside every range.
std::optional<RequestCategory> category_of(int subject_id);

// "DATA_ACQUIRE" and the others, exactly as they appear in the query string.
std::string_view category_name(RequestCategory category);
std::optional<RequestCategory> category_from_name(std::string_view name);

}  // namespace brindle::server
