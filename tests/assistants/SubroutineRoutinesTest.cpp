// Every routine of the fixed-point and floating-point libraries, assembled by our assembler and run
// in our simulator core against a reference computed here, on edge and random inputs. A routine
// without a reference here fails the completeness check, so nothing unchecked ships.
#include "SubroutineReferences.h"
#include "SubroutineRig.h"

#include <QDir>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <map>

using namespace twtest;

namespace
{

const std::map<QString, RoutineCheck> &checks()
{
    static const std::map<QString, RoutineCheck> all = [] {
        std::map<QString, RoutineCheck> map;
        for (const auto &[file, check] : fixedPointChecks())
            map.emplace(QStringLiteral("fixed/") + file, check);
        for (const auto &[file, check] : floatingPointChecks())
            map.emplace(QStringLiteral("float/") + file, check);
        return map;
    }();
    return all;
}

class RoutineTest : public ::testing::TestWithParam<QString>
{
};

} // namespace

TEST(SubroutineLibraryContent, EveryRoutineHasAReferenceAndTheLibrariesAreFull)
{
    const std::vector<QString> files = routineFiles();
    int fixed = 0, floating = 0;
    for (const QString &file : files) {
        EXPECT_TRUE(checks().count(file)) << file.toStdString() << " has no reference check";
        (file.startsWith(QStringLiteral("fixed/")) ? fixed : floating)++;
    }
    for (const auto &[file, check] : checks())
        EXPECT_TRUE(std::find(files.begin(), files.end(), file) != files.end())
            << file.toStdString() << " is checked but missing";
    EXPECT_GE(fixed, 15);
    EXPECT_GE(floating, 10);
}

TEST_P(RoutineTest, MatchesItsReferenceAndItsHeader)
{
    const auto found = checks().find(GetParam());
    ASSERT_NE(found, checks().end());
    SubroutineRig rig(GetParam());
    ASSERT_TRUE(rig.ready());
    found->second(rig);
    EXPECT_GE(rig.calls(), 100) << "too few inputs";
    rig.expectHeaderMatchesMeasurements();
}

INSTANTIATE_TEST_SUITE_P(Routines, RoutineTest, ::testing::ValuesIn(routineFiles()),
                         [](const ::testing::TestParamInfo<QString> &info) {
                             QString name = info.param;
                             name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")),
                                          QStringLiteral("_"));
                             return name.toStdString();
                         });
