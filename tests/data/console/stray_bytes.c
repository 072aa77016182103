/* Bytes in a name and in frames that are no text, run by
   core_console_test.cpp under several locales: none of them may reach the
   terminal as a control. */
#include <stdio.h>
#include <windows.h>
#include <process.h>

int main()
{
    system("title name\x1b]0;x\x07\x9b");
    printf("%s", "\xD6\xD0 a\x1b]0;pwned\x07" "b\x9b\n");
    printf("%s", "\x81" "0" "\x81" "0" "\x80\xff\n");
    printf("%s", "c\x9b");
    printf("%s", "\n\x0e\x0f" "d");
    Sleep(0);
    return 0;
}
