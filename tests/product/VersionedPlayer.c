/* A module that exists only for the version resource linked into it. */
int versionedPlayerMarker(void)
{
    return 1;
}
