// Form position storage: a form's placement stored in the registry when the
// form goes and restored when it is loaded again.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "localization/qlFormPos.h"
#include "platform/classes/Registry.h"
#include "platform/rtl/CodePages.h"
#include "platform/vcl/Forms.h"
#include "platform/win/Backend.h"
#include "tests/localization/LocalizationFixtures.h"
#include "tests/support/TestSupport.h"

using namespace loc_test;

namespace loc_test {

// A component that notes its own destruction, and the errors the
// application is asked to report.
class TGoneMark : public TComponent {
  CL_CLASS(TGoneMark, TComponent)
 public:
  void Destroy() override {
    Gone = true;
    inherited::Destroy();
  }
  static inline Boolean Gone = false;
};
CL_IMPLEMENT_CLASS(TGoneMark)

class TErrorLog : public TObject {
  CL_CLASS(TErrorLog, TObject)
 public:
  void Failed(TObject*, const Exception& E) { Errors.push_back(E.Message()); }
  std::vector<String> Errors;
};
CL_IMPLEMENT_CLASS(TErrorLog)

}  // namespace loc_test

namespace {

const char16_t* const kKey = u"Software\\Kontor\\PortForm";

class FormStorage : public ::testing::Test {
 protected:
  void SetUp() override { setenv("CL_REGISTRY_DIR", testing_support::MakeTempDir("formpos").c_str(), 1); }
  void TearDown() override {
    win::SetExtraMonitors({});
    win::SetRegistryFileStore(nullptr);
    Application->SetOnException(TExceptionEvent());
    unsetenv("CL_REGISTRY_DIR");
  }

  // A form with its storage, placed as designed; the storage reads its
  // settings as the form's loading completes.
  static TForm* NewStoredForm(Boolean Load = true) {
    TForm* form = NewBy<TForm>(&TForm::CreateNew, static_cast<TComponent*>(nullptr), 0);
    form->SetBounds(100, 50, 400, 300);
    TqlFormStorage* storage = New<TqlFormStorage>(form);
    storage->SetSubKey(kKey);
    if (Load) storage->Loaded();
    return form;
  }
  static TqlFormStorage* StorageOf(TForm* Form) { return static_cast<TqlFormStorage*>(Form->Components(0)); }
  static std::vector<Integer> Placement(TForm* F) { return {F->Left(), F->Top(), F->Width(), F->Height()}; }

  static void DeleteKey() {
    TOwned<TRegistry> reg(New<TRegistry>());
    reg->DeleteKey(kKey);
  }
  static TOwned<TRegistry> Key() {
    TOwned<TRegistry> reg(New<TRegistry>());
    reg->OpenKey(kKey, true);
    return reg;
  }
};

}  // namespace

TEST_F(FormStorage, APlacementIsStoredWhenTheFormGoesAndRestoredWhenItLoads) {
  {
    TOwned<TForm> form(NewStoredForm());
    EXPECT_TRUE(StorageOf(form.get())->Active());
    EXPECT_EQ(StorageOf(form.get())->RegRootKey(), qlHKEY_CURRENT_USER);
    form->SetBounds(10, 20, 640, 480);
  }
  {
    TOwned<TRegistry> reg = Key();
    EXPECT_EQ(reg->ReadString(u"State"), u"Normal");
    EXPECT_EQ(reg->ReadInteger(u"Left"), 10);
    EXPECT_EQ(reg->ReadInteger(u"Top"), 20);
    EXPECT_EQ(reg->ReadInteger(u"Width"), 640);
    EXPECT_EQ(reg->ReadInteger(u"Height"), 480);
  }
  TOwned<TForm> again(NewStoredForm());
  EXPECT_EQ(Placement(again.get()), (std::vector<Integer>{10, 20, 640, 480}));
  EXPECT_EQ(again->WindowState(), wsNormal);
}

TEST_F(FormStorage, AFormClosedMaximizedKeepsItsLastNormalPlacement) {
  {
    TOwned<TForm> form(NewStoredForm());
    form->SetBounds(10, 20, 640, 480);
  }
  {
    TOwned<TForm> form(NewStoredForm());
    form->SetBounds(0, 0, 1024, 768);
    form->SetWindowState(wsMaximized);
  }
  EXPECT_EQ(Key()->ReadString(u"State"), u"Maximized");
  EXPECT_EQ(Key()->ReadInteger(u"Width"), 640);
  TOwned<TForm> again(NewStoredForm());
  EXPECT_EQ(again->WindowState(), wsMaximized);
  again->SetWindowState(wsNormal);
  EXPECT_EQ(Placement(again.get()), (std::vector<Integer>{10, 20, 640, 480}));
}

TEST_F(FormStorage, DamagedOrPartialValuesKeepTheDesignedPlacement) {
  struct TCase {
    const char* Name;
    void (*Fill)(TRegistry*);
  };
  const TCase cases[] = {
      {"no Width", [](TRegistry* R) {
         R->WriteString(u"State", u"Maximized");
         R->WriteInteger(u"Top", 1);
         R->WriteInteger(u"Left", 2);
         R->WriteInteger(u"Height", 3);
       }},
      {"a Top that is text", [](TRegistry* R) {
         R->WriteString(u"State", u"Minimized");
         R->WriteString(u"Top", u"on");
         R->WriteInteger(u"Left", 2);
         R->WriteInteger(u"Height", 3);
         R->WriteInteger(u"Width", 4);
       }},
      {"an empty State", [](TRegistry* R) {
         R->WriteString(u"State", u"");
         R->WriteInteger(u"Top", 1);
       }},
      {"a Width of 0", [](TRegistry* R) {
         R->WriteString(u"State", u"Normal");
         R->WriteInteger(u"Top", 1);
         R->WriteInteger(u"Left", 2);
         R->WriteInteger(u"Height", 3);
         R->WriteInteger(u"Width", 0);
       }},
      {"a negative Height", [](TRegistry* R) {
         R->WriteString(u"State", u"Normal");
         R->WriteInteger(u"Top", 1);
         R->WriteInteger(u"Left", 2);
         R->WriteInteger(u"Height", -300);
         R->WriteInteger(u"Width", 4);
       }},
  };
  for (const TCase& c : cases) {
    DeleteKey();
    c.Fill(Key().get());
    TOwned<TForm> form(NewStoredForm());
    EXPECT_EQ(Placement(form.get()), (std::vector<Integer>{100, 50, 400, 300})) << c.Name;
    EXPECT_EQ(form->WindowState(), wsNormal) << c.Name;
    StorageOf(form.get())->SetActive(false);  // leave the values for the next look
  }
  // A State shorter than three characters leaves the window state.
  DeleteKey();
  {
    TOwned<TRegistry> reg = Key();
    reg->WriteString(u"State", u"No");
    reg->WriteInteger(u"Top", 1);
    reg->WriteInteger(u"Left", 2);
    reg->WriteInteger(u"Height", 3);
    reg->WriteInteger(u"Width", 4);
  }
  TOwned<TForm> form(NewStoredForm());
  EXPECT_EQ(Placement(form.get()), (std::vector<Integer>{2, 1, 4, 3}));
  EXPECT_EQ(form->WindowState(), wsNormal);
}

TEST_F(FormStorage, InactiveOrDesigningReadsAndWritesNothing) {
  {
    TOwned<TForm> form(NewStoredForm());
    form->SetBounds(1, 2, 3, 4);
    StorageOf(form.get())->SetActive(false);
  }
  {
    TOwned<TForm> form(NewStoredForm());
    form->SetDesigning(true);
    form->SetBounds(5, 6, 7, 8);
  }
  EXPECT_FALSE(Key()->ValueExists(u"State"));
  Key()->WriteString(u"State", u"Normal");
  for (const char16_t* name : {u"Top", u"Left", u"Height", u"Width"}) Key()->WriteInteger(name, 9);
  TOwned<TForm> inactive(NewStoredForm(false));
  StorageOf(inactive.get())->SetActive(false);
  StorageOf(inactive.get())->Loaded();
  EXPECT_EQ(Placement(inactive.get()), (std::vector<Integer>{100, 50, 400, 300}));
  TOwned<TForm> designing(NewStoredForm(false));
  designing->SetDesigning(true);
  StorageOf(designing.get())->Loaded();
  EXPECT_EQ(Placement(designing.get()), (std::vector<Integer>{100, 50, 400, 300}));
  StorageOf(inactive.get())->SetActive(true);
  StorageOf(inactive.get())->ReadSettings();
  EXPECT_EQ(Placement(inactive.get()), (std::vector<Integer>{9, 9, 9, 9}));
}

TEST_F(FormStorage, TheOwnerMustBeAFormAndTheRootFollowsTheSetting) {
  TOwned<TComponent> plain(New<TComponent>(nullptr));
  EXPECT_THROW(New<TqlFormStorage>(plain.get()), EInvalidCast);
  EXPECT_EQ(plain->ComponentCount(), 0);
  {
    TOwned<TForm> form(NewStoredForm());
    StorageOf(form.get())->SetRegRootKey(qlHKEY_LOCAL_MACHINE);
    form->SetBounds(7, 7, 70, 70);
  }
  EXPECT_FALSE(Key()->ValueExists(u"State"));
  TOwned<TRegistry> machine(New<TRegistry>());
  machine->SetRootKey(win::HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(machine->OpenKey(kKey, false));
  EXPECT_EQ(machine->ReadInteger(u"Left"), 7);
}

// A placement stored on a monitor that has gone since is brought into the
// nearest monitor's work area (the headless screen is 1280 x 1024); one on a
// monitor that is still there, or partly on the screen, stays.
TEST_F(FormStorage, APlacementOnAMonitorThatIsGoneIsBroughtBackOnTheScreen) {
  struct TCase {
    const char* Name;
    std::vector<Integer> Stored;  // left, top, width, height
    Boolean SecondMonitorStays;
    std::vector<Integer> Opened;
  };
  const TCase cases[] = {
      {"on the second monitor, still there", {1400, 200, 640, 480}, true, {1400, 200, 640, 480}},
      {"on the second monitor, gone", {1400, 200, 640, 480}, false, {640, 200, 640, 480}},
      {"left of the screen, larger than it", {-1600, -40, 1500, 1100}, false, {0, 0, 1280, 1024}},
      {"below the screen", {100, 1500, 300, 200}, false, {100, 824, 300, 200}},
      {"partly on the screen", {1200, 900, 400, 300}, false, {1200, 900, 400, 300}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    win::SetExtraMonitors({{win::RECT{1280, 0, 2560, 1024}, win::RECT{1280, 0, 2560, 1024}}});
    {
      TOwned<TForm> form(NewStoredForm());
      form->SetBounds(c.Stored[0], c.Stored[1], c.Stored[2], c.Stored[3]);
    }
    if (!c.SecondMonitorStays) win::SetExtraMonitors({});
    TOwned<TForm> again(NewStoredForm());
    EXPECT_EQ(Placement(again.get()), c.Opened);
    StorageOf(again.get())->SetActive(false);
  }
}

namespace {

// The registry's files in memory; writes refused while ReadOnly is set.
std::map<std::string, std::string> gFiles;
Boolean gReadOnly = false;
bool StoreRead(const std::string& Name, std::string& Text, bool& Missing) {
  auto it = gFiles.find(Name);
  Missing = it == gFiles.end();
  if (!Missing) Text = it->second;
  return !Missing;
}
bool StoreWrite(const std::string& Name, const std::string& Text) {
  if (gReadOnly) return false;
  gFiles[Name] = Text;
  return true;
}

}  // namespace

// A registry that cannot be written when the form goes: the error is reported
// through the application, the form and its other components still go, and
// the values stored before stay.
TEST_F(FormStorage, AWriteErrorWhileTheFormGoesIsReportedAndTheFormGoesWhole) {
  static const win::TRegistryFileStore store{&StoreRead, &StoreWrite};
  gFiles.clear();
  gReadOnly = false;
  win::SetRegistryFileStore(&store);
  TErrorLog log;
  Application->SetOnException(TExceptionEvent(&log, &TErrorLog::Failed));
  {
    TOwned<TForm> form(NewStoredForm());
    form->SetBounds(10, 20, 640, 480);
  }
  gReadOnly = true;
  TGoneMark::Gone = false;
  TForm* form = NewBy<TForm>(&TForm::CreateNew, static_cast<TComponent*>(nullptr), 0);
  New<TGoneMark>(form);  // freed after the storage
  New<TqlFormStorage>(form)->SetSubKey(kKey);
  form->SetBounds(1, 2, 3, 4);
  EXPECT_NO_THROW(Free(form));
  EXPECT_TRUE(TGoneMark::Gone);
  ASSERT_EQ(log.Errors.size(), 1u);
  EXPECT_NE(log.Errors[0].find(u"State"), String::npos) << UTF16ToUTF8(log.Errors[0]);
  gReadOnly = false;
  EXPECT_EQ(Key()->ReadInteger(u"Left"), 10);
  EXPECT_EQ(Key()->ReadInteger(u"Width"), 640);
}
