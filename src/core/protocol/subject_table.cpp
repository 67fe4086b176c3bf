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
    SubjectSpec{1001, N, _, _},
    SubjectSpec{1003, C, S, _},
    SubjectSpec{1004, C, S, R},
    SubjectSpec{1005, N, _, _},
    SubjectSpec{13002, V, K, _, false, kWording},
    SubjectSpec{2001, C, U, _},
    SubjectSpec{2002, C, U, _},
    SubjectSpec{2004, C, S, _},
    SubjectSpec{2009, C, S, _},
    SubjectSpec{2012, C, S, _},
    SubjectSpec{2014, C, S, R},
    SubjectSpec{2016, C, U, _},
    SubjectSpec{2018, C, U, _},
    SubjectSpec{2019, C, U, _},
    SubjectSpec{2020, C, U, _},
    SubjectSpec{2021, C, U, _},
    SubjectSpec{2022, C, U, _},
    SubjectSpec{3001, C, L, _, kProxy, kWording},
    SubjectSpec{3006, C, S, _},
    SubjectSpec{3008, C, S, _},
    SubjectSpec{3009, C, S, _},
    SubjectSpec{3010, C, S, _},
    SubjectSpec{3016, C, S, _},
    SubjectSpec{3018, C, S, _},
    SubjectSpec{3020, C, S, _},
    SubjectSpec{3022, C, S, _},
    SubjectSpec{3032, C, L, _, kProxy, false},
    SubjectSpec{3033, C, L, _, kProxy, kWording},
    SubjectSpec{3050, C, S, _},
    SubjectSpec{4001, C, S, R},
    SubjectSpec{4002, C, S, R},
    SubjectSpec{4006, C, S, _},
    SubjectSpec{4011, C, S, A},
    SubjectSpec{4012, C, S, _},
    SubjectSpec{4015, C, S, B},
    SubjectSpec{4016, C, S, R},
    SubjectSpec{4017, C, S, R},
    SubjectSpec{4018, C, _, _},
    SubjectSpec{4019, C, S, R},
    SubjectSpec{4020, C, S, R},
    SubjectSpec{4021, C, S, R},
    SubjectSpec{4022, C, S, R},
    SubjectSpec{4023, C, S, R},
    SubjectSpec{4024, C, S, R},
    SubjectSpec{4025, C, S, R},
    SubjectSpec{4026, C, S, R},
    SubjectSpec{4027, C, S, R},
    SubjectSpec{4028, C, S, R},
    SubjectSpec{4029, C, _, _},
    SubjectSpec{4030, C, S, R},
    SubjectSpec{4032, C, S, R},
    SubjectSpec{4037, C, S, R},
    SubjectSpec{4038, C, S, _},
    SubjectSpec{4040, C, S, R},
    SubjectSpec{4050, C, _, _},
    SubjectSpec{4051, C, S, R},
    SubjectSpec{4054, C, S, B},
    SubjectSpec{4061, C, L, _, kProxy, kWording},
    SubjectSpec{4070, C, S, R},
    SubjectSpec{5001, C, S, R},
    SubjectSpec{5002, C, S, R},
};

}  // namespace

const char* const kReadingMarketsText = M;

std::span<const SubjectSpec> catalogue_subjects() { return kSubjects; }

const SubjectSpec* find_subject(int subject_id) {
  const auto it = std::find_if(kSubjects.begin(), kSubjects.end(),
                               [subject_id](const SubjectSpec& s) { return s.subject_id == subject_id; });
  return it == kSubjects.end() ? nullptr : &*it;
}

}  // namespace brindle::protocol
