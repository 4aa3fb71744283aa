#include "fakes.h"

#include <gtest/gtest.h>

namespace quenby::testing {

Answer FakeDialogs::show(const Message& message) {
    shown.push_back(message);
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected message box: " << message.title.toStdString() << ": "
                      << message.text.toStdString();
        return message.buttons == MessageButtons::YesNo      ? Answer::No
               : message.buttons == MessageButtons::OkCancel ? Answer::Cancel
                                                             : Answer::Ok;
    }
    const Answer a = answers.front();
    answers.pop_front();
    return a;
}

} // namespace quenby::testing
