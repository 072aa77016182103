// The dialog layer on its own: a small table-built dialog, timers by id,
// the integer parsing of the exchange, and dialog units.
#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QLineEdit>

#include "tests/GuiTestSupport.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/ZDialog.h"

using namespace guitest;

namespace {

// The probe dialog belongs to this test alone, so its ids are named here.
constexpr int IDC_PROBE_A = 100;
constexpr int IDC_PROBE_B = 101;

const ui::ControlEntry kControls[] = {
    {IDC_PROBE_A, ui::ControlKind::Field, "", 5, 5, 40, 14},
    {IDC_PROBE_B, ui::ControlKind::Field, "", 5, 25, 40, 14},
    {ui::IDOK, ui::ControlKind::DefaultButton, "OK", 5, 45, 40, 14},
};
const ui::DialogTemplate kTemplate = {"Probe", "probe",           100,      70, ui::FontRole::Song,
                                      9,       ui::kStyleCaption, kControls};

class Probe : public ui::ZDialog {
 public:
  Probe() : ZDialog(kTemplate) {}
  int a = 1, b = 2;
  QList<int> ticks;
  void DoDataExchange(ui::CDataExchange& dx) override {
    ui::DDX_Text(dx, IDC_PROBE_A, a);
    ui::DDV_MinMaxInt(dx, a, 0, 9);
    ui::DDX_Text(dx, IDC_PROBE_B, b);
  }
  void OnTimer(int id) override { ticks << id; }
};

}  // namespace

TEST(Framework, ExchangeIntegersTheClassicWay) {
  struct Case {
    const char* text;
    bool ok;
    int value;
  } cases[] = {{"0", true, 0},
               {"  17\t", true, 17},
               {"-3", true, -3},
               {"+8", true, 8},
               {"", false, 0},
               {"-", false, 0},
               {"1e3", false, 0},
               {"0x10", false, 0},
               {"2147483647", true, 2147483647},
               {"-2147483648", true, -2147483647 - 1},
               {"2147483648", false, 0},
               {"１２", false, 0}};
  for (const Case& c : cases) {
    int v = 0;
    EXPECT_EQ(ui::ParseExchangeInt(QString::fromUtf8(c.text), v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
}

TEST(Framework, OutOfRangeIsStoredButLaterMembersKeepTheirValues) {
  Hooks hooks;
  Probe p;
  p.Create();
  ui::ZDialog::SetControlText(p.Control(IDC_PROBE_A), "12");
  ui::ZDialog::SetControlText(p.Control(IDC_PROBE_B), "5");
  EXPECT_FALSE(p.UpdateData(true));
  EXPECT_EQ(p.a, 12);
  EXPECT_EQ(p.b, 2);
  EXPECT_EQ(p.focusWidget(), p.Control(IDC_PROBE_A));
  EXPECT_EQ(p.ControlAs<QLineEdit>(IDC_PROBE_A)->selectedText(), "12");
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("请输入一个介于 0 和 9 之间的整数。")});
}

TEST(Framework, SettingATimerAgainRestartsItAndKillingADeadOneIsHarmless) {
  Probe p;
  p.KillTimer(5);  // never set
  p.SetTimer(3, 40);
  Pump(25);
  p.SetTimer(3, 40);  // restarted: no tick 40 ms after the first setting
  Pump(25);
  EXPECT_TRUE(p.ticks.isEmpty());
  Pump(40);
  EXPECT_FALSE(p.ticks.isEmpty());
  EXPECT_EQ(p.ticks.first(), 3);
  p.KillTimer(3);
  p.KillTimer(3);
  const int seen = p.ticks.size();
  Pump(60);
  EXPECT_EQ(p.ticks.size(), seen);
  EXPECT_FALSE(p.HasTimer(3));
}

TEST(Framework, DialogUnitsFollowTheFontInUse) {
  Probe p;
  const ui::DialogUnits& u = p.Units();
  EXPECT_GT(u.baseX, 0);
  EXPECT_GT(u.baseY, u.baseX);  // characters are taller than wide
  EXPECT_EQ(u.MapX(4), u.baseX);
  EXPECT_EQ(u.MapY(8), u.baseY);
  // Adjacent rectangles stay adjacent whatever the rounding.
  EXPECT_EQ(u.Map(3, 0, 7, 1).right() + 1, u.Map(10, 0, 5, 1).left());
  EXPECT_EQ(p.size(), QSize(u.MapX(100), u.MapY(70)));
}

TEST(Framework, WidgetTextAndGbkBytesMeetWithCrLfLines) {
  std::string bytes;
  ASSERT_TRUE(ui::ToGbk(QString::fromUtf8("一\n二"), bytes));
  EXPECT_EQ(bytes, testsupport::Gbk("一\r\n二"));
  EXPECT_EQ(ui::FromGbk(bytes), QString::fromUtf8("一\n二"));
  // Bytes that are no GBK character come back unchanged.
  const std::string odd = "\x81\r\n\xFF";
  std::string back;
  ASSERT_TRUE(ui::ToGbk(ui::FromGbk(odd), back));
  EXPECT_EQ(back, odd);
  QString bad;
  EXPECT_FALSE(ui::ToGbk(QString::fromUtf8("ok ★ 😀 😀"), bytes, &bad));
  EXPECT_EQ(bad, QString::fromUtf8("😀"));
}
