#include "engine/Statistics.h"

#include "engine/RunState.h"
#include "tests/engine/EngineTestSupport.h"

TEST(FormatSize, BytesBelowOneThousand) {
    EXPECT_EQ(L"0 octet", FormatSize(0));
    EXPECT_EQ(L"1 octet", FormatSize(1));
    EXPECT_EQ(L"2 octets", FormatSize(2));
    EXPECT_EQ(L"512 octets", FormatSize(512));
    EXPECT_EQ(L"999 octets", FormatSize(999));
}

TEST(FormatSize, UnitsChangeAtOneThousandOfTheSmallerUnit) {
    // The test harness runs under a French locale: the decimal separator is a comma.
    EXPECT_EQ(L"0,98 Ko", FormatSize(1000));
    EXPECT_EQ(L"1,50 Ko", FormatSize(1536));
    EXPECT_EQ(L"12,3 Ko", FormatSize(12.3 * 1024));
    EXPECT_EQ(L"977 Ko", FormatSize(1000000));
    EXPECT_EQ(L"1 000 Ko", FormatSize(1023999));
    EXPECT_EQ(L"0,98 Mo", FormatSize(1024000));
    EXPECT_EQ(L"500 Mo", FormatSize(500.0 * 1024 * 1024));
    EXPECT_EQ(L"0,98 Go", FormatSize(1048576000));
    EXPECT_EQ(L"4,00 Go", FormatSize(4.0 * 1024 * 1024 * 1024));
    EXPECT_EQ(L"1 234 Go", FormatSize(1234.0 * 1024 * 1024 * 1024));
    EXPECT_EQ(L"1 234 567 Go", FormatSize(1234567.0 * 1024 * 1024 * 1024));
}

TEST(RemainingTime, TextsByRange) {
    EXPECT_EQ(L"", RemainingTimeText(0));
    EXPECT_EQ(L"1 seconde", RemainingTimeText(1));
    EXPECT_EQ(L"60 secondes", RemainingTimeText(60));
    EXPECT_EQ(L"1 minute(s) 0 seconde(s)", RemainingTimeText(61));
    EXPECT_EQ(L"1 minute(s) 30 seconde(s)", RemainingTimeText(95));
    EXPECT_EQ(L"2 minute(s) 0 seconde(s)", RemainingTimeText(120));
    EXPECT_EQ(L"2 minute(s)", RemainingTimeText(121));
    EXPECT_EQ(L"60 minute(s)", RemainingTimeText(3600));
    EXPECT_EQ(L"1 heure(s) 2 minute(s)", RemainingTimeText(3725));
}

namespace {
double g_now = 0;
double FakeClock() { return g_now; }
}  // namespace

class TimingTest : public EngineTest {
protected:
    TimingTest() {
        previousClock_ = TimingClock;
        TimingClock = &FakeClock;
        g_now = 36000;  // 10:00:00
        CurrentRun.StartTimer = WholeSecondsSinceMidnight();
        CurrentRun.TotalBytes = 1000000;
        view.SetLabel(2, L"Temps restant: Calcul en cours ...");
    }
    ~TimingTest() override { TimingClock = previousClock_; }

    void At(double secondsAfterStart, int64_t copied) {
        g_now = CurrentRun.StartTimer + secondsAfterStart;
        CurrentRun.CopiedBytes = copied;
        UpdateTiming();
    }

private:
    double (*previousClock_)();
};

TEST_F(TimingTest, NoEstimateDuringTheFirstTenSeconds) {
    At(5, 100000);
    At(10, 200000);
    EXPECT_EQ(L"Temps restant: Calcul en cours ...", view.labels[2]);
    EXPECT_EQ(L"", view.labels[5]);
}

TEST_F(TimingTest, EstimateInStepsOfFiveSecondsAndRate) {
    // 200 000 bytes in 20 s: 800 000 left take 80 s, at 9,77 Ko/s.
    At(20, 200000);
    EXPECT_EQ(L"Temps restant: 1 minute(s) 15 seconde(s)", view.labels[2]);
    EXPECT_EQ(L"Taux de transfert: 9,77 Ko/s", view.labels[5]);
    // 83 s left is shown as 80 s.
    At(21, 201923);
    EXPECT_EQ(L"Temps restant: 1 minute(s) 15 seconde(s)", view.labels[2]);
    At(22, 150000);
    EXPECT_EQ(L"Temps restant: 2 minute(s)", view.labels[2]);
}

TEST_F(TimingTest, AtMostOneUpdatePerSecondAndLabelsOnlyWhenTheTextChanges) {
    At(20, 200000);
    int writes = view.LabelWritesOf(2);
    At(20.2, 100);  // the same elapsed second: nothing recomputed
    EXPECT_EQ(L"Temps restant: 1 minute(s) 15 seconde(s)", view.labels[2]);
    At(21, 210000);  // 79 s -> 75 s: same text, label left alone
    EXPECT_EQ(writes, view.LabelWritesOf(2));
}

TEST_F(TimingTest, HugeEstimateLeavesThePreviousText) {
    At(20, 200000);
    CurrentRun.TotalBytes = int64_t{1} << 50;
    At(30, 200001);
    EXPECT_EQ(L"Temps restant: 1 minute(s) 15 seconde(s)", view.labels[2]);
}

TEST_F(TimingTest, ZeroLeftClearsTheTimeAndStopsTheRate) {
    At(20, 200000);
    std::wstring rate = view.labels[5];
    At(40, 1000000);
    EXPECT_EQ(L"Temps restant: ", view.labels[2]);
    EXPECT_EQ(rate, view.labels[5]);
}

TEST_F(TimingTest, MidnightRestartsTheTimingFromTheBytesCopied) {
    g_now = 86390;  // 23:59:50
    CurrentRun.StartTimer = WholeSecondsSinceMidnight();
    CurrentRun.CopiedBytes = 300000;
    g_now = 5;  // the clock passed midnight
    UpdateTiming();
    EXPECT_EQ(300000, CurrentRun.RateBaseBytes);
    EXPECT_EQ(5, CurrentRun.StartTimer);
    EXPECT_EQ(L"Temps restant: Calcul en cours ...", view.labels[2]);
    // 20 s later, 100 000 more bytes: the rate counts only those.
    At(20, 400000);
    EXPECT_EQ(L"Temps restant: 2 minute(s) 0 seconde(s)", view.labels[2]);
    EXPECT_EQ(L"Taux de transfert: 4,88 Ko/s", view.labels[5]);
    // Nothing copied since the restart: no division by zero, the texts stay.
    CurrentRun.RateBaseBytes = CurrentRun.CopiedBytes;
    At(30, 400000);
    EXPECT_EQ(L"Temps restant: 2 minute(s) 0 seconde(s)", view.labels[2]);
}
