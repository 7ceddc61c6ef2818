// The identification-key list "kluce.txt".
#include "common/temp_home.h"
#include "records/key_list.h"

#include <gtest/gtest.h>

using namespace vx;

TEST(KeyList, LookupAndAppendUnderTheHeader)
{
    vxtest::TempHome home;
    KeyList keys(home.path("kluce.txt"));
    QString name;
    EXPECT_EQ(keys.lookup(17, &name), KeyList::no_file);
    ASSERT_TRUE(keys.append(5, "Dvere")); // a new file gets the header
    EXPECT_EQ(home.read("kluce.txt"), QByteArray("[IDKEY]\r\n5,Dvere\r\n"));
    home.write("kluce.txt", QByteArray("nazvy\r\n12,Ignored\r\n"));
    EXPECT_EQ(keys.lookup(12, &name), KeyList::no_section);
    // A file without the header line gets it, so the new name can be found.
    ASSERT_TRUE(keys.append(6, "Brana"));
    EXPECT_EQ(home.read("kluce.txt"), QByteArray("nazvy\r\n12,Ignored\r\n[IDKEY]\r\n6,Brana\r\n"));
    EXPECT_EQ(keys.lookup(6, &name), KeyList::found);

    home.write("kluce.txt", "[IDKEY]\r\nbez ciarky\r\n12,Vr\xe1tnik\r\n017,Sklad, zadn\xe9\r\n");
    EXPECT_EQ(keys.lookup(17, &name), KeyList::found);
    EXPECT_EQ(name, "Sklad, zadné");
    EXPECT_EQ(keys.lookup(99, &name), KeyList::not_listed);
    ASSERT_TRUE(keys.append(99, "Šéf"));
    EXPECT_EQ(keys.lookup(99, &name), KeyList::found);
    EXPECT_EQ(name, "Šéf");
    EXPECT_TRUE(home.read("kluce.txt").endsWith("99,\x8a\xe9\x66\r\n"));
    EXPECT_FALSE(KeyList(home.path("missing/dir/kluce.txt")).append(1, "x"));
}
