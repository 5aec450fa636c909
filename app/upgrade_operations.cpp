// The operations of the Upgrade page: the identity, the device text and the
// firmware upgrade.

#include "app/operation_waits.h"
#include "app/operations.h"
#include "res/resource_ids.h"
#include "res/upgrade_page_ids.h"
#include "ui/text_codec.h"

namespace torvane {

using namespace operation_waits;

namespace {

constexpr std::size_t kHalfLength = 16;

}  // namespace

DeviceIdentity Operations::IdentityNow() const {
    const CFWDlg& page = app_.UpgradePage();
    return {page.Controls().Text(res::kDeviceLineLabel),
            page.Controls().Text(res::kDeviceTextLabel)};
}

void Operations::EnterUpgradePage(bool tolerant, Then entered, Fail fail) {
    if (dlg_.ActivePage() == PageCode::kUpgrade) return entered();
    CFWDlg& page = app_.UpgradePage();
    const int reads = page.DeviceTextReads();
    StartFresh();
    PressLabel(res::kUpgradeLabel);
    Begin([this, reads] { return app_.UpgradePage().DeviceTextReads() > reads; }, entered,
          [this, tolerant, entered, fail](const Error& error) {
              Error shown = error;
              if (!messages_.empty()) shown.message = messages_.front();
              if (!tolerant || error.kind == Error::Kind::kLinkLost) return fail(shown);
              entered();
          },
          kAnswerMs, true);
}

void Operations::ReadIdentity(Done<DeviceIdentity> done) {
    Enqueue([this, done] {
        EnterUpgradePage(
            false, [this, done] { Succeed(done, IdentityNow()); }, FailWith(done));
    });
}

// The hidden editor holds the text as two halves of 16 characters; the page
// reads the text back after the switcher took it.
void Operations::SetDeviceText(const std::string& text, Done<DeviceIdentity> done) {
    Enqueue([this, text, done] {
        const Fail fail = FailWith(done);
        EnterUpgradePage(
            false,
            [this, text, done, fail] {
                CFWDlg& page = app_.UpgradePage();
                const std::string first = FirstCharacters(text, kHalfLength);
                page.EditText(res::kDeviceTextFirstHalf, first);
                page.EditText(res::kDeviceTextSecondHalf, text.substr(first.size()));
                const int reads = page.DeviceTextReads();
                const int writes = page.DeviceTextWrites();
                StartFresh();
                page.WriteDeviceText();
                Begin([this, reads] { return app_.UpgradePage().DeviceTextReads() > reads; },
                      [this, writes, done, fail] {
                          if (app_.UpgradePage().DeviceTextWrites() == writes)
                              return fail(TimedOut());
                          Succeed(done, IdentityNow());
                      },
                      [this, fail](const Error& error) {
                          Error shown = error;
                          if (!messages_.empty()) shown.message = messages_.front();
                          fail(shown);
                      },
                      kAnswerMs, true);
            },
            fail);
    });
}

UpgradeProgress Operations::ProgressNow() {
    const CFWDlg& page = app_.UpgradePage();
    UpgradeProgress progress;
    const std::string log = page.Controls().Text(res::kUpgradeLog);
    if (log.size() < logPrinted_) logPrinted_ = 0;  // emptied by the Upgrade button
    std::size_t end;
    while ((end = log.find("\r\n", logPrinted_)) != std::string::npos) {
        progress.newLines.push_back(log.substr(logPrinted_, end - logPrinted_));
        logPrinted_ = end + 2;
    }
    progress.sending = page.State() == UpgradeState::kSending;
    progress.blocksSent = page.TransferOffset() / static_cast<int>(kDataPayloadSize);
    progress.blocks = FirmwareBlockCount(page.ImageLength());
    const Control& bar = page.Controls().At(res::kUpgradeProgress);
    progress.confirmed = bar.position;
    progress.range = bar.rangeMax;
    return progress;
}

void Operations::StartUpgrade(const std::string& path,
                              std::function<void(const UpgradeProgress&)> progress,
                              Done<DeviceIdentity> done) {
    CFWDlg& page = app_.UpgradePage();
    const Fail fail = FailWith(done);
    StartFresh();
    page.Click(res::kFirmwareOpenButton);
    if (!page.PendingFileChoice()) return fail({Error::Kind::kRefused, "the Upgrade page is busy"});
    page.AnswerFileChoice(path);
    if (!messages_.empty()) return fail({Error::Kind::kBadInput, messages_.front()});
    if (!page.ImageLoaded()) return fail({Error::Kind::kBadInput, path + ": cannot be read"});
    const int reads = page.DeviceTextReads();
    logPrinted_ = 0;
    page.Click(res::kUpgradeButton);
    Begin(
        [this, progress] {
            progress(ProgressNow());
            const CFWDlg& page = app_.UpgradePage();
            return page.State() == UpgradeState::kIdle &&
                   page.LastUpgradeEnd() != UpgradeEnd::kNone;
        },
        [this, reads, done, fail] {
            const UpgradeEnd end = app_.UpgradePage().LastUpgradeEnd();
            if (end != UpgradeEnd::kSucceeded) {
                const Error::Kind kind =
                    end == UpgradeEnd::kTimedOut ? Error::Kind::kTimedOut : Error::Kind::kRefused;
                return fail({kind, messages_.empty() ? "MCU upgrade failed" : messages_.front()});
            }
            // The switcher answered again: the device line shows its new
            // version once the page has read it, if it does.
            auto identity = [this, done] { Succeed(done, IdentityNow()); };
            Begin([this, reads] { return app_.UpgradePage().DeviceTextReads() > reads; }, identity,
                  [identity](const Error&) { identity(); }, kAnswerMs, true);
        },
        fail, kUpgradeMs, false);
}

void Operations::Upgrade(const std::string& path,
                         std::function<void(const UpgradeProgress&)> progress,
                         Done<DeviceIdentity> done) {
    Enqueue([this, path, progress, done] {
        EnterUpgradePage(
            true, [this, path, progress, done] { StartUpgrade(path, progress, done); },
            FailWith(done));
    });
}

}  // namespace torvane
