// The operations of the Matrix and EDID pages, each entered first as the
// operator would.

#include "app/operation_waits.h"
#include "app/operations.h"
#include "res/edid_page_ids.h"
#include "res/resource_ids.h"

namespace torvane {

using namespace operation_waits;

namespace {

std::string ArcAcknowledgementText(const ArcAcknowledgement& ack) {
    const std::string named = ack.output >= 1 && ack.output <= 8
                                  ? std::string("output ") + char('A' + ack.output - 1)
                                  : "no output";
    return std::string("the switcher acknowledged ARC ") + (ack.on ? "on" : "off") + " for " +
           named;
}

}  // namespace

void Operations::PressLabel(int labelId) {
    const Rect r = dlg_.Controls().At(labelId).rect;
    dlg_.PressAt({r.x + r.width / 2, r.y + r.height / 2});
}

void Operations::WaitForPage(const CommandOwner& page, int limitMs, Then quiet, Fail fail) {
    Begin(
        [this, &page] {
            if (!messages_.empty()) return Settled();
            return Quiet() && !page.AnyWaiting() && !dlg_.PageEntryPending();
        },
        [this, quiet, fail] {
            if (!messages_.empty()) return fail(MessageFailure());
            quiet();
        },
        fail, limitMs, false);
}

void Operations::EnterPage(PageCode code, Then entered, Fail fail, bool again) {
    if (dlg_.ActivePage() == code && !again) return entered();
    StartFresh();
    const bool matrix = code == PageCode::kMatrix;
    PressLabel(matrix ? res::kMatrixLabel : res::kEdidLabel);
    const CommandOwner& page = matrix ? app_.MatrixPage().Commands() : app_.EdidPage().Commands();
    WaitForPage(page, matrix ? kPageMs : kEdidMs, entered, fail);
}

MatrixState Operations::MatrixNow() const {
    MatrixState state;
    const CMatrixDlg& page = app_.MatrixPage();
    for (int o = 1; o <= 8; ++o) {
        state.input[o - 1] = page.ShownInput(o);
        state.arc[o - 1] = page.ShownArc(o);
    }
    return state;
}

void Operations::ReadMatrix(Done<MatrixState> done) { ReadMatrixPage(false, done); }

void Operations::ReadMatrixAgain(Done<MatrixState> done) { ReadMatrixPage(true, done); }

void Operations::ReadMatrixPage(bool again, Done<MatrixState> done) {
    Enqueue([this, again, done] {
        EnterPage(
            PageCode::kMatrix, [this, done] { Succeed(done, MatrixNow()); }, FailWith(done), again);
    });
}

void Operations::ClickOnMatrixPage(int id, Ended ended, Fail fail) {
    EnterPage(
        PageCode::kMatrix,
        [this, id, ended] {
            CMatrixDlg& page = app_.MatrixPage();
            StartFresh();
            const std::uint64_t before = page.Commands().LastStarted().serial;
            page.Click(id);
            const std::uint64_t serial = page.Commands().LastStarted().serial;
            auto report = [this, serial, before, ended](const Error* error) {
                std::optional<CommandRecord> command;
                for (const auto& c : ended_)
                    if (serial != before && c.serial == serial) command = c;
                ended(command, error);
            };
            WaitForPage(
                page.Commands(), kPageMs, [report] { report(nullptr); },
                [report](const Error& error) { report(&error); });
        },
        fail);
}

// The route is confirmed when the switcher's acknowledgement has checked the
// input's button (the acknowledgement names neither: the page shows the route
// it sent).
void Operations::Route(int input, int output, Done<void> done) {
    Enqueue([this, input, output, done] {
        const Fail fail = FailWith(done);
        ClickOnMatrixPage(
            res::kMatrixOutputs[output - 1].inputs[input - 1],
            [this, input, output, done, fail](const std::optional<CommandRecord>&,
                                              const Error* error) {
                if (error) return fail(*error);
                if (app_.MatrixPage().ShownInput(output) != input) return fail(TimedOut());
                Succeed(done);
            },
            fail);
    });
}

// Confirmed only when the switcher acknowledged exactly that state for
// exactly that output; an acknowledgement of another is what it said.
void Operations::Arc(int output, bool on, Done<ArcAcknowledgement> done) {
    Enqueue([this, output, on, done] {
        const Fail fail = FailWith(done);
        const auto& ids = res::kMatrixOutputs[output - 1];
        ClickOnMatrixPage(
            on ? ids.arcOn : ids.arcOff,
            [this, output, on, done, fail](const std::optional<CommandRecord>& command,
                                           const Error* error) {
                std::optional<ArcAcknowledgement> ack;
                if (command && command->reply) {
                    const ReplyView reply(command->reply->data());
                    ack = ArcAcknowledgement{reply.Third(), reply.Mark() == kStateOn};
                }
                const bool lost = error && error->kind == Error::Kind::kLinkLost;
                const bool confirmed = command && command->outcome == CommandOutcome::kConfirmed &&
                                       ack && ack->output == output && ack->on == on;
                if (ack && !confirmed && !lost)
                    return fail({Error::Kind::kRefused, ArcAcknowledgementText(*ack)});
                if (error) return fail(*error);
                if (!confirmed) return fail(TimedOut());
                Succeed(done, *ack);
            },
            fail);
    });
}

EdidInputs Operations::EdidNow() const {
    EdidInputs inputs;
    const CEDIDDlg& page = app_.EdidPage();
    for (int n = 1; n <= 8; ++n) {
        inputs.codes[n - 1] = page.EdidCode(n);
        inputs.texts[n - 1] = page.Controls().Text(res::kEdidValueLabels[n - 1]);
        inputs.names[n - 1] = page.Controls().Text(res::kEdidNameLabels[n - 1]);
    }
    return inputs;
}

void Operations::ReadEdid(Done<EdidInputs> done) {
    Enqueue([this, done] {
        EnterPage(
            PageCode::kEdid, [this, done] { Succeed(done, EdidNow()); }, FailWith(done));
    });
}

// A set operation waits for the list the page reads again after a success
// too; its outcome is the set command's, as the page's command owner
// recorded it.
void Operations::EdidSet(int button, Done<EdidInputs> done) {
    CEDIDDlg& page = app_.EdidPage();
    const Fail fail = FailWith(done);
    StartFresh();
    const std::uint64_t before = page.Commands().LastStarted().serial;
    page.Click(button);
    const std::uint64_t serial = page.Commands().LastStarted().serial;
    Begin([this] { return Quiet() || (Settled() && !messages_.empty()); },
          [this, serial, before, done, fail] {
              if (!messages_.empty()) return fail(MessageFailure());
              for (const auto& command : ended_)
                  if (serial != before && command.serial == serial &&
                      command.outcome == CommandOutcome::kConfirmed)
                      return Succeed(done, EdidNow());
              fail(TimedOut());
          },
          fail, kEdidMs, false);
}

// The page's two lists (what to set, and which input) and its Set button.
struct Operations::EdidChoice {
    int list;
    int index;
    int inputList;
    int inputIndex;
    int button;
};

void Operations::SetEdidFromLists(const EdidChoice& choice, Done<EdidInputs> done) {
    Enqueue([this, choice, done] {
        EnterPage(
            PageCode::kEdid,
            [this, choice, done] {
                app_.EdidPage().Select(choice.list, choice.index);
                app_.EdidPage().Select(choice.inputList, choice.inputIndex);
                EdidSet(choice.button, done);
            },
            FailWith(done));
    });
}

void Operations::SetEdidPreset(int presetIndex, int inputIndex, Done<EdidInputs> done) {
    SetEdidFromLists(
        {res::kPresetList, presetIndex, res::kPresetInputList, inputIndex, res::kPresetSetButton},
        done);
}

void Operations::CopyEdid(int outputIndex, int inputIndex, Done<EdidInputs> done) {
    SetEdidFromLists(
        {res::kCopyOutputList, outputIndex, res::kCopyInputList, inputIndex, res::kCopySetButton},
        done);
}

void Operations::WriteEdidFile(const std::string& name, const Result<EdidFile>& file,
                               int inputIndex, Done<EdidInputs> done) {
    Enqueue([this, name, file, inputIndex, done] {
        const Fail fail = FailWith(done);
        EnterPage(
            PageCode::kEdid,
            [this, name, file, inputIndex, done, fail] {
                CEDIDDlg& page = app_.EdidPage();
                StartFresh();
                if (name == kStandardInputName) {
                    page.LoadEdidFile("standard input", file);
                } else {
                    page.Click(res::kOpenEdidButton);
                    if (!page.PendingFileChoice())
                        return fail({Error::Kind::kRefused, "the EDID page is busy"});
                    page.AnswerFileChoice(name);
                    if (!page.FileError().empty())
                        return fail({Error::Kind::kBadInput, name + ": " + page.FileError()});
                }
                Begin([this] { return Settled(); },
                      [this, name, inputIndex, done, fail] {
                          CEDIDDlg& page = app_.EdidPage();
                          if (!page.FileTaken()) {
                              const std::string reason =
                                  messages_.empty() ? name + ": not taken" : messages_.front();
                              return fail({Error::Kind::kBadInput, reason});
                          }
                          // A warning was reported when the file was first read.
                          TakeMessages();
                          page.Select(res::kFileInputList, inputIndex);
                          EdidSet(res::kFileSetButton, done);
                      },
                      fail, kEdidMs, false);
            },
            fail);
    });
}

}  // namespace torvane
