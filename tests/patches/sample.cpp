int first()
{
    return 1;
}

int second()
{
    return 1;
}

int third()
{
    return 3;
}
