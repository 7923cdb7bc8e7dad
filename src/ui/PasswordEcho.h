#pragma once
// How every password field of the program echoes what is typed.
class QLineEdit;

// Edit hides its text and shows one "*" per character, whatever the desktop style would draw.
void EchoPasswordAsAsterisks(QLineEdit* Edit);
