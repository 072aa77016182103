/* Console calls the tool's own programs do not make, run by
   core_console_test.cpp in an 80-column terminal. */
#include <stdio.h>
#include <windows.h>
#include <process.h>

static void Move(int x, int y)
{
    COORD at;
    at.X = x;
    at.Y = y;
    SetConsoleCursorPosition(GetStdHandle(STD_OUTPUT_HANDLE), at);
}

int main()
{
    int refused;
    system("mode con cols=80 lines=25");
    system("COLOR 5");      /* one digit: characters on black */
    refused = system("color 33");
    printf("[%d]", refused); /* the console refuses equal colours */
    Sleep(0);

    /* A line exactly as wide as the terminal, then a clear and a jump into
       the middle of the screen. */
    system("cls");
    Move(0, 0);
    printf("%s", "================================================================================");
    Sleep(0);
    system("cls");
    Move(5, 3);
    printf("%s", "x");
    Sleep(0);

    /* A clear left pending when a real command runs is done first. */
    system("cls");
    system("echo outside");
    printf("end");
    return 0;
}
