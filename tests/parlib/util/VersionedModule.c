/* A module that exists only for the version resource linked into it. */
int versionedModuleMarker(void)
{
    return 1;
}
