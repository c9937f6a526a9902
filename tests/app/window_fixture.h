#pragma once

#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>

#include "main_window.h"
#include "qstring_printer.h"

// A shown, activated window whose dialogs answer from a queue (an empty
// queue cancels) and whose error box records its texts.
class WindowTest : public testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TQVMainForm>();
        form->SetErrorSink([this](const QString& text) { errors.append(text); });
        form->SetDialogRunner([this](FileDialog& dialog) -> std::optional<QString> {
            dialogTitles.append(dialog.Title());
            if (answers.empty())
                return std::nullopt;
            // No copy of a disengaged optional: GCC takes one for a read of
            // uninitialised memory in some translation units.
            const bool cancel = !answers.front().has_value();
            const QString answer = answers.front().value_or(QString());
            answers.pop_front();
            if (cancel)
                return std::nullopt;
            return answer;
        });
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    // Runs a handler with the dialog answering path, or cancelling.
    void Answer(std::optional<QString> path) { answers.push_back(std::move(path)); }

    std::unique_ptr<TQVMainForm> form;
    QStringList errors;
    QStringList dialogTitles;
    std::deque<std::optional<QString>> answers;
};
