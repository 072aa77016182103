//////////////////////////////////////////////////////////////////////////
//
//	Zoetrix 开发组 出品 help/index.html
//	该代码由 《Zoetrix C语言动画制作器》 制作
//
//	----------------动画信息----------------
//	制作时间：2024.12.31 23:59:58
//	动画名称：小猫
//
//////////////////////////////////////////////////////////////////////////

#include <stdio.h>
#include <windows.h>
#include <process.h>

//设置光标位置，防止屏幕闪烁
int Gotoxy(int x, int y)
{
    HANDLE handle;
    COORD coord;
    coord.X = x;
    coord.Y = y;
    handle = GetStdHandle(STD_OUTPUT_HANDLE);
    SetConsoleCursorPosition(handle, coord);
	return 0;
}

int main()
{
	//////动画画布尺寸//////
	system("mode con cols=100 lines=10");
	
	//////动画颜色//////
	system("color AF");
	
	//////动画名称//////
	system("title 小猫");
	
	//////用于循环的点//////
loop:
	

	//////动画部分//////
	
	//////第1帧//////
	Gotoxy(0,0);
	printf(" /\\_/\\\n( o.o )");
	Sleep(333);
	system("cls");
	
	//////第2帧//////
	Gotoxy(0,0);
	printf(" > ^ <\n猫");
	Sleep(333);
	system("cls");
	
	//////进行循环//////
	goto loop;
	

	return 0;
}