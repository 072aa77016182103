//////////////////////////////////////////////////////////////////////////
//
//	Zoetrix 开发组 出品 help/index.html
//	该代码由 《Zoetrix C语言动画制作器》 制作
//
//	----------------动画信息----------------
//	制作时间：2019.7.5 9:3:7
//	动画名称：x
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
	system("mode con cols=80 lines=25");
	
	//////动画颜色//////
	system("color 07");
	
	//////动画名称//////
	system("title x");
	
	//////用于循环的点//////
loop:
	

	//////动画部分//////
	
	//////第1帧//////
	Gotoxy(0,0);
	printf("ab\ncd");
	Sleep(1000);
	system("cls");
	
	//////第2帧//////
	Gotoxy(0,0);
	printf("ab\ncd");
	Sleep(1000);
	system("cls");
	
	//////第3帧//////
	Gotoxy(0,0);
	printf("ab\ncd");
	Sleep(1000);
	system("cls");
	
	//////第4帧//////
	Gotoxy(0,0);
	printf("ab\ncd");
	Sleep(1000);
	system("cls");
	
	//////第5帧//////
	Gotoxy(0,0);
	printf("ab\ncd");
	Sleep(1000);
	system("cls");
	
	//////第6帧//////
	Gotoxy(0,0);
	printf("ab\ncd");
	Sleep(1000);
	system("cls");
	
	//////第7帧//////
	Gotoxy(0,0);
	printf("ab\ncd");
	Sleep(1000);
	system("cls");
	
	//////第8帧//////
	Gotoxy(0,0);
	printf("ab\ncd");
	Sleep(1000);
	system("cls");
	
	//////第9帧//////
	Gotoxy(0,0);
	printf("ab\ncd");
	Sleep(1000);
	system("cls");
	
	//////第10帧//////
	Gotoxy(0,0);
	printf("ab\ncd");
	Sleep(1000);
	system("cls");
	

	return 0;
}