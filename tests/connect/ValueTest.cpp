#include "connect/Value.h"
#include <gtest/gtest.h>

using tw::Value;

// Text read as UTF-8 is kept as it came; everything that asks for its
// characters sees the same value as text decoded at once.
TEST(ValueTest, TextKeptAsUtf8IsTheSameValueAsDecodedText) {
    const QString text = QString::fromUtf8("café 漢字 😀 'q' \\b");
    const Value kept = Value::utf8Text(text.toUtf8());
    const Value decoded = Value::text(text);

    EXPECT_EQ(kept.kind(), Value::Kind::Text);
    EXPECT_EQ(kept.toText(), text);
    EXPECT_EQ(kept.toBytes(), text.toUtf8());
    ASSERT_NE(kept.utf8(), nullptr);
    EXPECT_EQ(*kept.utf8(), text.toUtf8());
    EXPECT_EQ(decoded.utf8(), nullptr);
    EXPECT_TRUE(kept == decoded);
    EXPECT_TRUE(decoded == kept);
    EXPECT_FALSE(kept == Value::text(text + u'x'));
    EXPECT_FALSE(kept == Value::bytes(text.toUtf8()));

    EXPECT_FALSE(Value::utf8Text("0").toBool());
    EXPECT_FALSE(Value::utf8Text("FALSE").toBool());
    EXPECT_TRUE(Value::utf8Text("1").toBool());
}
