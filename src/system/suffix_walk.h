// The suffix list walk and the quoting of a final %1 (no window calls).
#pragma once

// Takes the next suffix of list from *cursor: writes "." + the run of non-blank characters
// into key (capacity bytes) and returns its length without the dot; 0 at the end of the list.
int NextSuffixKey(const char** cursor, char* key, int capacity);

// When command ends in "%1", replaces those two characters by the quoted form and returns 1;
// otherwise leaves it and returns 0. The buffer must have room for two more characters.
int QuoteFinalArgument(char* command, int capacity);
