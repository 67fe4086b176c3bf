#include "server/http/form_body.h"

#include <gtest/gtest.h>

#include <string>

namespace brindle::server {
namespace {

struct Accepted {
  std::string body;
  int subject_id;
  std::string user_name, password, para;
};

class FormBodyAccepts : public ::testing::TestWithParam<Accepted> {};

TEST_P(FormBodyAccepts, CutsOnTheKeyMarkers) {
  const auto& c = GetParam();
  auto form = parse_form_body(c.body);
  ASSERT_TRUE(form.ok()) << form.error();
  EXPECT_EQ(form->subject_id, c.subject_id);
  ASSERT_TRUE(form->credentials.has_value());
  EXPECT_EQ(form->credentials->user_name, c.user_name);
  EXPECT_EQ(form->credentials->password, c.password);
  EXPECT_EQ(form->credentials->para, c.para);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, FormBodyAccepts,
    ::testing::Values(
        Accepted{"txtLanguage=1&txtSubjectID=3033&txtUserName=bob&txtPwd=pw&txtPara=bob", 3033, "bob", "pw",
                 "bob"},
        Accepted{"txtLanguage=1&txtSubjectID=4001&txtUserName=&txtPwd=&txtPara=", 4001, "", "", ""},
        // txtPara is free text and takes everything after its marker, markers included.
        Accepted{"txtLanguage=1&txtSubjectID=2001&txtUserName=u&txtPwd=p&txtPara=a&b=c|&txtPwd=x&txtPara=y",
                 2001, "u", "p", "a&b=c|&txtPwd=x&txtPara=y"},
        Accepted{"txtLanguage=1&txtSubjectID=3001&txtUserName=a&b=c&txtPwd=p=q&r&txtPara=||1", 3001, "a&b=c",
                 "p=q&r", "||1"},
        Accepted{"txtLanguage=1&txtSubjectID=3001&txtUserName=x&txtPara=y&txtPwd=p&txtPara=t", 3001,
                 "x&txtPara=y", "p", "t"},
        Accepted{"txtLanguage=1&txtSubjectID=3001&txtUserName=u&txtPwd=a&txtPwd=b&txtPara=t", 3001, "u",
                 "a&txtPwd=b", "t"},
        Accepted{"txtLanguage=1&txtSubjectID=3001&txtUserName=\xD5\xC5\xC8\xFD&txtPwd=p&txtPara=1|\xD6\xD0\n",
                 3001, "张三", "p", "1|中\n"}));

TEST(FormBody, CategoryOneBodyHasNoCredentials) {
  auto form = parse_form_body("txtLanguage=1&txtSubjectID=13002");
  ASSERT_TRUE(form.ok());
  EXPECT_EQ(form->language, "1");
  EXPECT_EQ(form->subject_id, 13002);
  EXPECT_FALSE(form->credentials.has_value());

  auto bare = parse_form_body("txtSubjectID=1001");
  ASSERT_TRUE(bare.ok());
  EXPECT_EQ(bare->subject_id, 1001);
}

struct Refused {
  std::string body;
  std::string_view error;
};

TEST(FormBodyRefuses, WithItsReason) {
  const Refused cases[] = {
      {"", kMissingSubjectIdText},
      {"txtLanguage=1", kMissingSubjectIdText},
      {"txtLanguage=1&txtSubject=5", kMissingSubjectIdText},
      {"txtLanguage=1&txtUserName=u&txtSubjectID=5", kMissingSubjectIdText},
      {"txtLanguage=1&txtSubjectID=", kBadSubjectIdText},
      {"txtLanguage=1&txtSubjectID=12a", kBadSubjectIdText},
      {"txtLanguage=1&txtSubjectID=-5", kBadSubjectIdText},
      {"txtLanguage=1&txtSubjectID=+5", kBadSubjectIdText},
      {"txtLanguage=1&txtSubjectID= 5", kBadSubjectIdText},
      {"txtLanguage=1&txtSubjectID=13002\r\n", kBadSubjectIdText},
      {"txtLanguage=1&txtSubjectID=99999999999", kBadSubjectIdText},
      {"txtLanguage=1&txtSubjectID=13002&x=1", kMalformedBodyText},
      {"txtLanguage=1&txtSubjectID=3001&txtUserName=u&txtPwd=p", kMalformedBodyText},
      {"txtLanguage=1&txtSubjectID=3001&txtUserName=u&txtPara=p", kMalformedBodyText},
      {"txtLanguage=1&txtSubjectID=3001&txtUserName=u&txtPara=t&txtPwd=p", kMalformedBodyText},
      // A lone lead byte would reach the handler as U+FFFD.
      {"txtLanguage=1&txtSubjectID=3001&txtUserName=u&txtPwd=\x81&txtPara=", kNotGbkText}};
  for (const auto& c : cases) {
    auto form = parse_form_body(c.body);
    ASSERT_FALSE(form.ok()) << c.body;
    EXPECT_EQ(form.error(), c.error) << c.body;
  }
}

}  // namespace
}  // namespace brindle::server
