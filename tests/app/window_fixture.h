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
            // A path, not the optional, is moved out: GCC 12 sees an
            // uninitialised copy of an optional where there is none.
            const bool accepted = answers.front().has_value();
            QString path = accepted ? *answers.front() : QString();
            answers.pop_front();
            return accepted ? std::optional<QString>(std::move(path)) : std::nullopt;
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
