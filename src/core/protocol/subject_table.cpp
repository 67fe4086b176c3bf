#include "core/protocol/subject_table.h"

#include <algorithm>
#include <array>

#include "core/net/progress_texts.h"

namespace brindle::protocol {
namespace {

constexpr const char* C = net::kConnectingText;
constexpr const char* S = net::kSendingText;
constexpr const char* U = net::kSubmittingText;
constexpr const char* L = net::kSigningInText;
constexpr const char* R = net::kReadingText;
constexpr const char* M = "正在读取盘口数据...";
constexpr const char* B = "正在读取投注数据...";
constexpr const char* A = "正在读取帐户数据...";
constexpr const char* N = net::kLatestInformationText;
constexpr const char* V = net::kVerifyingVersionText;
constexpr const char* K = net::kFetchingKeyText;
constexpr const char* _ = nullptr;

constexpr bool kProxy = true;
constexpr bool kWording = true;

constexpr std::array kSubjects{
    SubjectEntry{1001, N, _, _},
    SubjectEntry{1003, C, S, _},
    SubjectEntry{1004, C, S, R},
    SubjectEntry{1005, N, _, _},
    SubjectEntry{13002, V, K, _, false, kWording},
    SubjectEntry{2001, C, U, _},
    SubjectEntry{2002, C, U, _},
    SubjectEntry{2004, C, S, _},
    SubjectEntry{2009, C, S, _},
    SubjectEntry{2012, C, S, _},
    SubjectEntry{2014, C, S, R},
    SubjectEntry{2016, C, U, _},
    SubjectEntry{2018, C, U, _},
    SubjectEntry{2019, C, U, _},
    SubjectEntry{2020, C, U, _},
    SubjectEntry{2021, C, U, _},
    SubjectEntry{2022, C, U, _},
    SubjectEntry{3001, C, L, _, kProxy, kWording},
    SubjectEntry{3006, C, S, _},
    SubjectEntry{3008, C, S, _},
    SubjectEntry{3009, C, S, _},
    SubjectEntry{3010, C, S, _},
    SubjectEntry{3016, C, S, _},
    SubjectEntry{3018, C, S, _},
    SubjectEntry{3020, C, S, _},
    SubjectEntry{3022, C, S, _},
    SubjectEntry{3032, C, L, _, kProxy, false},
    SubjectEntry{3033, C, L, _, kProxy, kWording},
    SubjectEntry{3050, C, S, _},
    SubjectEntry{4001, C, S, R},
    SubjectEntry{4002, C, S, R},
    SubjectEntry{4006, C, S, _},
    SubjectEntry{4011, C, S, A},
    SubjectEntry{4012, C, S, _},
    SubjectEntry{4015, C, S, B},
    SubjectEntry{4016, C, S, R},
    SubjectEntry{4017, C, S, R},
    SubjectEntry{4018, C, _, _},
    SubjectEntry{4019, C, S, R},
    SubjectEntry{4020, C, S, R},
    SubjectEntry{4021, C, S, R},
    SubjectEntry{4022, C, S, R},
    SubjectEntry{4023, C, S, R},
    SubjectEntry{4024, C, S, R},
    SubjectEntry{4025, C, S, R},
    SubjectEntry{4026, C, S, R},
    SubjectEntry{4027, C, S, R},
    SubjectEntry{4028, C, S, R},
    SubjectEntry{4029, C, _, _},
    SubjectEntry{4030, C, S, R},
    SubjectEntry{4032, C, S, R},
    SubjectEntry{4037, C, S, R},
    SubjectEntry{4038, C, S, _},
    SubjectEntry{4040, C, S, R},
    SubjectEntry{4050, C, _, _},
    SubjectEntry{4051, C, S, R},
    SubjectEntry{4054, C, S, B},
    SubjectEntry{4061, C, L, _, kProxy, kWording},
    SubjectEntry{4070, C, S, R},
    SubjectEntry{5001, C, S, R},
    SubjectEntry{5002, C, S, R},
};

}  // namespace

const char* const kReadingMarketsText = M;

std::span<const SubjectEntry> catalogue_subjects() { return kSubjects; }

const SubjectEntry* find_subject(int subject_id) {
  const auto it = std::find_if(kSubjects.begin(), kSubjects.end(),
                               [subject_id](const SubjectEntry& s) { return s.subject_id == subject_id; });
  return it == kSubjects.end() ? nullptr : &*it;
}

}  // namespace brindle::protocol
