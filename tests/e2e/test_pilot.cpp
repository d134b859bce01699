// The whole program as a pilot uses it: real key presses through the X
// server, the file it leaves, a second start, and the chart on the screen.
#include "program.h"
#include "support.h"

#include <gtest/gtest.h>

#include <glib/gstdio.h>

#include <cmath>

namespace
{

using namespace zt::x11;

class Pilot : public zt::Tree
{
  protected:
    // Starts Zarv and gives its window the keyboard focus.
    std::unique_ptr<zt::Program> start()
    {
        auto program = std::make_unique<zt::Program>(path("bin"));
        const unsigned long nWin = program->waitForWindow();
        EXPECT_NE(nWin, 0ul);
        EXPECT_TRUE(focusWindow(nWin));
        return program;
    }

    // Goes to a page by its tab's mnemonic and into its first field.
    static void page(const char* pszMnemonic)
    {
        keys(std::string("alt+") + pszMnemonic + " Tab");
    }

    // Types into the focused field and presses Return, as a pilot does.
    static void enter(const char* pszText)
    {
        typeText(pszText);
        keys("Return");
    }

    // Walks the fields with Down from the focused one, reading each once it
    // offers the text expected of it (or what it offers when it never does).
    static std::vector<std::string> readFields(const std::vector<std::string>& expected)
    {
        std::vector<std::string> v;
        for (const std::string& strWant : expected) {
            v.push_back(selectionOnceItIs(strWant));
            keys("Down");
        }
        return v;
    }
};

double keyDouble(const std::string& strConf, const char* pszGroup, const char* pszKey)
{
    g_autoptr(GKeyFile) pkf = g_key_file_new();
    g_key_file_load_from_data(pkf, strConf.c_str(), strConf.size(), G_KEY_FILE_NONE, nullptr);
    return g_key_file_get_double(pkf, pszGroup, pszKey, nullptr);
}

TEST_F(Pilot, EntersTheWorkedExampleClosesAndFindsItAllAgain)
{
    {
        auto program = start();
        // The setup: 400 kg at 2700 mm and 1 mm; 10 kg of ballast, front at
        // 1000 mm and 0 mm, rear at 3000 mm.
        page("s");
        for (const char* pszValue : {"400", "2700", "1", "10", "1000", "0", "3000"})
            enter(pszValue);
        // The loading: 80 kg a seat, 60 litres, ballast in the rear (space
        // on the third ballast button).
        page("b");
        for (const char* pszValue : {"80", "80", "60"})
            enter(pszValue);
        keys("Down Down space");
        ASSERT_TRUE(program->close());
        EXPECT_EQ(program->wait(), 0);
    }

    const std::string strConf = conf();
    const struct {
        const char* pszGroup;
        const char* pszKey;
        double nValue;
    } stored[] = {{"Basic", "Weight", 400},
                  {"Basic", "LongArm", 2700},
                  {"Basic", "LatArm", 1},
                  {"Ballast", "Weight", 10},
                  {"Ballast", "FrontLongArm", 1000},
                  {"Ballast", "FrontLatArm", 0},
                  {"Ballast", "RearLongArm", 3000},
                  {"Load", "LSeat", 80},
                  {"Load", "RSeat", 80},
                  {"Load", "Fuel", 60},
                  {"Load", "Ballast", 2}};
    for (const auto& s : stored)
        EXPECT_EQ(keyDouble(strConf, s.pszGroup, s.pszKey), s.nValue) << s.pszGroup << "/" << s.pszKey << "\n"
                                                                      << strConf;

    EXPECT_EQ(zt::logMessages(log()), (std::vector<std::string>{"Zarv Started", "prmLoadKeyFile()", "Zarv Shutdown"}))
        << log();

    // A second start shows everything as it was left.
    auto program = start();
    page("b");
    const std::vector<std::string> loading = {"80.0", "80.0", "60.0"};
    EXPECT_EQ(readFields(loading), loading);
    page("s");
    const std::vector<std::string> setup = {"400.0", "2700.00", "1.00", "10.0", "1000.00", "0.00", "3000.00"};
    EXPECT_EQ(readFields(setup), setup);

    // Pounds and inches: the walk left the focus on "kilograms"; choose the
    // second button of the weight and arm units, then go back to the top.
    keys("Down space Down Down space");
    keys("Up Up Up Up Up Up Up Up Up Up");
    const std::vector<std::string> inPounds = {"881.8", "106.30"};
    EXPECT_EQ(readFields(inPounds), inPounds);
    page("b");
    EXPECT_EQ(selectionOnceItIs("176.4"), "176.4");
    // The file keeps kilograms. Walking through the weight field stored
    // nothing: not the 881.8 lb it shows, which would be 399.978 kg.
    EXPECT_EQ(keyDouble(conf(), "Basic", "Weight"), 400.0);

    // The chart on the screen: 615.54 kg at 2459.9792 mm and 0.8847 mm,
    // inside the envelope with no message: a blue marker on a blue grid.
    keys("Down"); // leaves the field; the chart is drawn on the next pass
    Square sq;
    int nX = 0, nY = 0, nXCLine = 0, nYChart = 0;
    double nXIntv = 0, nYIntv = 0;
    Image img;
    // Where the marker must be, on a screenshot that shows the chart.
    auto markerAt = [&](const Image& shot) {
        sq = findChart(shot);
        if (sq.nSize < 200)
            return false;
        const int nSizeChart = sq.nSize - 100, nXChart = sq.x + 50;
        nYChart = sq.y + 50;
        nYIntv = nSizeChart / 2.875, nXIntv = nSizeChart / 1.76;
        nXCLine = nSizeChart / 2 + nXChart;
        const double nLong = 1514215.6 / 615.54 / 25.4, nLat = 544.5895 / 615.54 / 25.4;
        nY = nYChart + nSizeChart - static_cast<int>((99.0 - nLong) * nYIntv);
        nX = static_cast<int>(nLat * nXIntv) + nXCLine;
        return shot.at(nX + 25, nY) == 0x0000ffu;
    };
    // The chart is redrawn once the program has handled the key: wait for it.
    ASSERT_TRUE(zt::waitUntil([&] { return markerAt(img = screenshot()); }, "the marker on the screen"));
    ASSERT_GE(sq.nSize, 200) << "no chart on the screen";
    EXPECT_EQ(img.at(nX + 25, nY), 0x0000ffu) << "marker's right arm at " << nX + 25 << "," << nY;
    EXPECT_EQ(img.at(nX, nY + 25), 0x0000ffu) << "marker's lower arm";
    EXPECT_EQ(img.at(nX - 25, nY), 0x0000ffu) << "marker's left arm";
    // A vertical grid line, in an open stretch of the chart: blue, not black.
    const int nGridX = static_cast<int>(nXCLine - 3 * nXIntv * 0.2);
    const int nGridY = nYChart + static_cast<int>(1.8 * nYIntv);
    const unsigned nLine = img.at(nGridX, nGridY), nBeside = img.at(nGridX + 6, nGridY);
    EXPECT_EQ(nLine & 0xff, 0xffu) << std::hex << nLine;
    EXPECT_LT((nLine >> 16) & 0xff, (nBeside >> 16) & 0xff) << std::hex << nLine << " beside " << nBeside;
    ASSERT_TRUE(program->close());
    EXPECT_EQ(program->wait(), 0);
}

} // namespace
