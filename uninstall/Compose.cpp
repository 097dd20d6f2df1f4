#include "../setup/BoundedText.h"
#include "Texts.h"
#include "Uninstall.h"

bool ComposeQuestion(const char* title, char* question)
{
    question[0] = '\0';
    if (AppendText(question, QUESTION_CAPACITY, texts::QUESTION_START) &&
        AppendText(question, QUESTION_CAPACITY, title) &&
        AppendText(question, QUESTION_CAPACITY, texts::QUESTION_END))
        return true;
    question[0] = '\0';
    return false;
}

bool ComposeKeyPath(const char* title, char* keyPath)
{
    keyPath[0] = '\0';
    if (AppendText(keyPath, KEY_PATH_CAPACITY, texts::UNINSTALL_KEY) &&
        AppendText(keyPath, KEY_PATH_CAPACITY, title))
        return true;
    keyPath[0] = '\0';
    return false;
}
