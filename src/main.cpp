// Placeholder entry until the application and the desktop backend are in.
int main()
{
    return 0;
}
